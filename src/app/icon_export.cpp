// Writes the program's icon for the desktop's icon theme at build time:
// icon_export FOLDER SIZE... makes FOLDER/<size>x<size>/apps/tarnwick.png for each size.
#include <QDir>
#include <QGuiApplication>

#include "ui/main/list_icons.h"

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc < 3) return 2;
  for (int i = 2; i < argc; ++i) {
    const int size = QString::fromLatin1(argv[i]).toInt();
    const QString folder =
        QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
    if (size <= 0 || !QDir().mkpath(folder) ||
        !tarnwick::ProgramIconImage(size).save(folder + QStringLiteral("/tarnwick.png"))) {
      return 1;
    }
  }
  return 0;
}
