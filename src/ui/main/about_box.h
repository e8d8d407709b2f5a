// "ﾊﾞｰｼﾞｮﾝ情報 Tarnwick".
#pragma once

class QWidget;

namespace tarnwick {

void ShowAboutBox(QWidget* parent);

}  // namespace tarnwick
