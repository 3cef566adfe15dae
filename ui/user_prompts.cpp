#include "ui/user_prompts.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

#include "resources/strings.h"
#include "ui/window_modal.h"

namespace torv {
namespace {

QMessageBox::Icon BoxIcon(Icon icon) {
    switch (icon) {
        case Icon::kStop:
            return QMessageBox::Critical;
        case Icon::kExclamation:
            return QMessageBox::Warning;
        case Icon::kQuestion:
            return QMessageBox::Question;
        case Icon::kInformation:
            return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

// A question whose Yes replaces a file or overwrites the sensor's memory: Enter must not be that Yes.
bool ReplacesSomething(const QString& text) {
    switch (static_cast<StringId>(NumberOfText(text.toLatin1().toStdString()))) {
        case StringId::kSameFileOverwrite:
        case StringId::kAgreeOverwriteSensor:
        case StringId::kDictionaryAppendQuestion:
        case StringId::kOverwriteDictionaryQuestion:
            return true;
        default:
            return false;
    }
}

class PlatformPrompts : public UserPrompts {
  public:
    bool ask(QWidget* parent, Caption caption, Icon icon, const QString& text,
             Answer defaultAnswer) override {
        return askDetailed(parent, caption, icon, text, {}, defaultAnswer);
    }

    bool askDetailed(QWidget* parent, Caption caption, Icon icon, const QString& text, const QString& detail,
                     Answer defaultAnswer) override {
        QMessageBox box(BoxIcon(icon), ToQString(CaptionText(caption)), text,
                        QMessageBox::Yes | QMessageBox::No, parent);
        box.setInformativeText(detail);
        box.setDefaultButton(defaultAnswer == Answer::kYes && !ReplacesSomething(text) ? QMessageBox::Yes
                                                                                       : QMessageBox::No);
        return ExecWindowModal(box) == QMessageBox::Yes;
    }

    void show(QWidget* parent, Caption caption, Icon icon, const QString& text) override {
        showDetailed(parent, caption, icon, text, {});
    }

    void showDetailed(QWidget* parent, Caption caption, Icon icon, const QString& text,
                      const QString& detail) override {
        QMessageBox box(BoxIcon(icon), ToQString(CaptionText(caption)), text, QMessageBox::Ok, parent);
        box.setInformativeText(detail);
        ExecWindowModal(box);
    }

    // A name that does not exist yet is welcome: the file a read is about to make.
    QString chooseFileToOpen(QWidget* parent, const QStringList& filters) override {
        QFileDialog dialog(parent);
        dialog.setNameFilters(filters);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        if (ExecWindowModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return {};
        }
        return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
    }

    QString chooseFileToSave(QWidget* parent, const QStringList& filters) override {
        return QDir::toNativeSeparators(
            QFileDialog::getSaveFileName(parent, {}, {}, filters.join(QStringLiteral(";;"))));
    }
};

UserPrompts* g_installed = nullptr;

}  // namespace

UserPrompts& Prompts() {
    static PlatformPrompts platform;
    return g_installed != nullptr ? *g_installed : platform;
}

void SetPrompts(UserPrompts* prompts) {
    g_installed = prompts;
}

}  // namespace torv
