// torvloader: the desktop tool for the TORV sensor.

#include "app/data_loader_app.h"

int main(int argc, char** argv) {
    torv::CDataLoaderApp application(argc, argv);
    return application.run();
}
