// torvscreenshot: the pictures of torvloader's windows for the documentation (tools/screenshot.sh runs
// it under xvfb). Not shipped: the scenes that talk to a sensor use COM1 and answer every question Yes,
// so they are meant for a simulated sensor in a ports folder of their own.

#include <QApplication>
#include <QFile>
#include <QStyle>

#include <CLI/CLI.hpp>
#include <string>

#include "app/screenshot/file_screenshots.h"
#include "app/screenshot/screenshot_scenes.h"
#include "app/screenshot/trace_screenshot.h"
#include "app/settings_file.h"
#include "ui/app_icon.h"
#include "ui/focus_frame_style.h"

namespace {

struct Picture {
    std::string scene;
    std::string name;  // params: the parameter file; viewer: the NG files; editor: the dictionary
    int appended = 0;  // editor: the characters the read before it appended
    std::string path;
};

// One subcommand per picture; `nameHelp` for the scenes that open a file.
CLI::App* AddScene(CLI::App& app, Picture& picture, const std::string& scene, const std::string& description,
                   const char* nameHelp = nullptr) {
    CLI::App* command = app.add_subcommand(scene, description);
    if (nameHelp != nullptr) {
        command->add_option("NAME", picture.name, nameHelp)->required();
    }
    command->callback([&picture, scene] { picture.scene = scene; });
    return command;
}

void AddScenes(CLI::App& app, Picture& picture) {
    AddScene(app, picture, "main", "The main window as it opens");
    AddScene(app, picture, "monitor", "The main window with the monitor running on COM1");
    AddScene(app, picture, "remote", "The remote controller on COM1");
    AddScene(app, picture, "trend", "The Trend window following the monitor on a fading print on COM1");
    AddScene(app, picture, "clock", "The transfer dialog after \"Set the time to TORV\" on COM1");
    AddScene(app, picture, "read", "The transfer dialog after \"Read parameters from TORV\" on COM1",
             "Parameter file to make, without extension");
    AddScene(app, picture, "params", "The parameter editor", "Parameter file, without extension");
    AddScene(app, picture, "compare", "The parameter editor after a compare with COM1",
             "Parameter file, without extension");
    AddScene(app, picture, "browser", "The NG browser", "The folder of the NG files");
    AddScene(app, picture, "trace", "The protocol trace after three clock settings on COM1");
    AddScene(app, picture, "viewer", "The NG data viewer", "NG files, without extension");
    CLI::App* editor =
        AddScene(app, picture, "editor", "The dictionary editor", "Dictionary file, without extension");
    editor->add_option("APPENDED", picture.appended, "Characters appended by the read before")->required();
    for (CLI::App* command : app.get_subcommands({})) {
        command->add_option("PICTURE", picture.path, "The PNG file to write")->required();
    }
}

int TakePicture(const Picture& picture) {
    using namespace torv;
    OperationState state;
    const QString path = QString::fromLocal8Bit(picture.path.c_str());
    const QString name = QString::fromLocal8Bit(picture.name.c_str());
    if (picture.scene == "viewer") {
        return screenshot::RunViewerScreenshot(state, name, path);
    }
    if (picture.scene == "browser") {
        return screenshot::RunBrowserScreenshot(name, path);
    }
    if (picture.scene == "editor") {
        return screenshot::RunEditorScreenshot(state, name, picture.appended, path);
    }
    // The tool's own settings file, beside it: none in a build folder, so the main window starts afresh.
    const std::string settingsPath = SettingsPathFor(
        QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString(), UserConfigFolder());
    if (picture.scene == "trace") {
        return screenshot::RunTraceScreenshot(state, settingsPath, path);
    }
    return screenshot::RunMainWindowScene(QString::fromStdString(picture.scene), name, state, settingsPath,
                                          path);
}

}  // namespace

int main(int argc, char** argv) {
    Picture picture;
    CLI::App cli{"torvscreenshot: pictures of torvloader's windows for the documentation", "torvscreenshot"};
    cli.require_subcommand(1);
    AddScenes(cli, picture);
    CLI11_PARSE(cli, argc, argv);
    QApplication application(argc, argv);
    QApplication::setWindowIcon(torv::ApplicationIcon());
    QApplication::setStyle(new torv::FocusFrameStyle(QApplication::style()->name()));
    return TakePicture(picture);
}
