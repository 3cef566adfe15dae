#include "app/ref_buttons.h"

#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>

#include "app/main_window_ids.h"
#include "files/file_kind.h"
#include "ui/control_ids.h"
#include "ui/file_name_field.h"
#include "ui/user_prompts.h"

namespace torv {
namespace {

constexpr FileFilter kAllFiles{"All files(*.*)", "*.*"};

constexpr std::array kParameterFilters{FileFilter{"TORV Parameter files ( *.torv )", "*.torv"}, kAllFiles};
constexpr std::array kMonitorFilters{FileFilter{"TORV Monitor result files ( *.csv )", "*.csv"}, kAllFiles};
constexpr std::array kDictionaryFilters{FileFilter{"TORV Dictionary files ( *.dic4 )", "*.dic4"}, kAllFiles};
constexpr std::array kNgDataFilters{
    FileFilter{"TORV NG data files ( *.ng4 *.bmp )", "*.ng4;*.bmp"},
    FileFilter{"TORV NG data file ( *.ng4 )", "*.ng4"},
    FileFilter{"TORV NG screen file ( *.bmp )", "*.bmp"},
    FileFilter{"CSV file ( *.csv )", "*.csv"},
    kAllFiles,
};

constexpr std::array<std::string_view, 1> kParameterExtensions{".torv"};
constexpr std::array<std::string_view, 1> kMonitorExtensions{".csv"};
constexpr std::array<std::string_view, 1> kDictionaryExtensions{".dic4"};
constexpr std::array<std::string_view, 3> kNgDataExtensions{".ng4", ".bmp", ".csv"};

constexpr std::array kRefButtons{
    RefButton{kIdParameterRef, kIdParameterName, kParameterFilters, kParameterExtensions},
    RefButton{kIdMonitorRef, kIdMonitorName, kMonitorFilters, kMonitorExtensions},
    RefButton{kIdDictionaryRef, kIdDictionaryName, kDictionaryFilters, kDictionaryExtensions},
    RefButton{kIdNgDataRef, kIdNgDataName, kNgDataFilters, kNgDataExtensions},
};

// The wildcards as a Qt chooser reads them. "*.*" meant every file on the system the tool came from;
// here that is "*", since "*.*" would hide files without a dot.
QStringList QtPatterns(std::string_view patterns) {
    QStringList result;
    for (const QString& pattern : ToQString(patterns).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        result << (pattern == QStringLiteral("*.*") ? QStringLiteral("*") : pattern);
    }
    return result;
}

// The patterns Qt reads from a description's closing parentheses ("Text ( *.a *.b )").
QStringList PatternsInDescription(const QString& description) {
    static const QRegularExpression kTrailingGroup(QStringLiteral("\\(([^()]*)\\)$"));
    const QRegularExpressionMatch match = kTrailingGroup.match(description);
    return match.hasMatch() ? match.captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts) : QStringList{};
}

}  // namespace

std::span<const RefButton> RefButtons() {
    return kRefButtons;
}

const RefButton* FindRefButton(int buttonId) {
    for (const RefButton& button : kRefButtons) {
        if (button.buttonId == buttonId) {
            return &button;
        }
    }
    return nullptr;
}

QStringList ChooserFilters(const RefButton& button) {
    QStringList filters;
    for (const FileFilter& filter : button.filters) {
        const QString description = ToQString(filter.description);
        const QStringList patterns = QtPatterns(filter.patterns);
        // Descriptions that already name their patterns are shown as they are; Qt reads the
        // patterns from them.
        filters << (PatternsInDescription(description) == patterns
                        ? description
                        : description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                              QLatin1Char(')'));
    }
    return filters;
}

QString NameWithoutExtension(const RefButton& button, const QString& chosenPath) {
    const std::string path = QFile::encodeName(chosenPath).toStdString();
    for (std::string_view extension : button.extensions) {
        const std::string name = RemoveKnownExtension(path, {extension});
        if (name.size() != path.size()) {
            return QFile::decodeName(QByteArray::fromStdString(name));
        }
    }
    return chosenPath;
}

void ChooseFileIntoField(QWidget* window, const RefButton& button) {
    const QString chosen = Prompts().chooseFileToOpen(window, ChooserFilters(button));
    window->activateWindow();
    if (chosen.isEmpty()) {
        return;
    }
    if (auto* field = FindControl<QLineEdit>(window, button.fieldId)) {
        ShowFileName(field, NameWithoutExtension(button, chosen));
    }
}

}  // namespace torv
