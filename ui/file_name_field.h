#pragma once
// The Filename fields: names travel between the fields, the shared state and the file system as the
// platform's file-name bytes, and a name put into a field shows its file-name part.

#include <QString>
#include <string>

class QLineEdit;

namespace torv {

QString FileNameText(const std::string& bytes);
std::string FileNameBytes(const QString& text);

// Puts the name into the field with its file-name part (after the last '/' or '\') selected and
// scrolled into view.
void ShowFileName(QLineEdit* field, const QString& name);

}  // namespace torv
