// torvloader: the desktop tool for the TORV sensor.

#include "app/data_loader_app.h"
#include "ui/colour_scheme.h"

int main(int argc, char** argv) {
    torv::AskForDesktopColourScheme();
    torv::CDataLoaderApp application(argc, argv);
    return application.run();
}
