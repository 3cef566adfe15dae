#pragma once
// The four "Ref." buttons: each lets the user pick a file and puts its name, without the extension
// the tool adds itself, into its Filename field.

#include <QString>
#include <QStringList>

#include <array>
#include <span>
#include <string_view>

class QLineEdit;
class QWidget;

namespace torv {

struct FileFilter {
    std::string_view description;  // as the chooser lists it
    std::string_view patterns;     // ";"-separated wildcards
};

struct RefButton {
    int buttonId;
    int fieldId;
    std::span<const FileFilter> filters;
    std::span<const std::string_view> extensions;  // removed (case-sensitive) from the chosen path
};

// The "Ref." buttons of the main window.
std::span<const RefButton> RefButtons();
// The button with this id, or nullptr.
const RefButton* FindRefButton(int buttonId);

// The chooser's filter entries in Qt's "Description (patterns)" form.
QStringList ChooserFilters(const RefButton& button);

// The chosen path without one of the button's extensions, when it ends in one exactly.
QString NameWithoutExtension(const RefButton& button, const QString& chosenPath);

// The whole button: asks for a file (parent `window`) and fills the field; Cancel changes nothing.
void ChooseFileIntoField(QWidget* window, const RefButton& button);

}  // namespace torv
