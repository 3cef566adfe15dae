#include "app/unfinished_write_box.h"

#include <optional>
#include <string>

#include "engine/write_journal.h"
#include "ui/user_prompts.h"

namespace torv {

void WarnOfUnfinishedWrite(QWidget* parent, int port) {
    if (const std::optional<UnfinishedWrite> write = FindUnfinishedWrite(port)) {
        Prompts().show(parent, Caption::kWarning, Icon::kExclamation,
                       ToQString(UnfinishedWriteNotice(*write)));
    }
}

QString UnstoredWriteNotice(const OperationState& state) {
    const UnfinishedWrite write = WriteOfRun(state);
    const std::string what = write.dictionary ? "expansion dictionary" : "parameter set";
    const std::string command =
        write.dictionary ? "Write exp. dictionary to TORV" : "Write parameters to TORV";
    return ToQString("The sensor now holds a partly written " + what +
                     " that it has not stored: the write stopped before its end, so no store command was "
                     "sent.\n\nTo restore the sensor, write a complete file with \"" +
                     command +
                     "\": this file again, or one read from the sensor before the write. From the command "
                     "line: " +
                     RestoreCommand(write));
}

}  // namespace torv
