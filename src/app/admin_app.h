// The application object: sets up the process and runs the main window for the whole life of
// the program.
#pragma once

namespace tarnwick {

class CAdminApp {
 public:
  // Runs the program and returns its exit status.
  static int Run(int argc, char** argv);
};

}  // namespace tarnwick
