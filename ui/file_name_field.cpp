#include "ui/file_name_field.h"

#include <QFile>
#include <QLineEdit>

namespace torv {

QString FileNameText(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

std::string FileNameBytes(const QString& text) {
    return QFile::encodeName(text).toStdString();
}

void ShowFileName(QLineEdit* field, const QString& name) {
    field->setText(name);
    const qsizetype separator =
        std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    const auto nameLength = static_cast<int>(name.size() - (separator + 1));
    // Selected backwards, so the caret lands at the start of the file name and scrolls it into view.
    field->setSelection(static_cast<int>(name.size()), -nameLength);
}

}  // namespace torv
