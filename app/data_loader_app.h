#pragma once
// The application object: owns the operation state for the whole run and runs the main window
// modally; the program ends when the main window closes. The program takes no options of its own.

#include <QApplication>

#include "engine/operation_state.h"

namespace torv {

class CDataLoaderApp {
  public:
    CDataLoaderApp(int& argc, char** argv);

    // Runs the main window until "Exit"; the program's exit code.
    int run();

  private:
    QApplication m_application;
    OperationState m_state;
};

}  // namespace torv
