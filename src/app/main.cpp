#include "app/admin_app.h"

int main(int argc, char** argv) {
  return tarnwick::CAdminApp::Run(argc, argv);
}
