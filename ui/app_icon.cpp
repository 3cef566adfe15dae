#include "ui/app_icon.h"

// The resource file is compiled into a static library; naming it here keeps the linker from dropping
// it from the programs that show the icon.
static void InitIconResources() {
    Q_INIT_RESOURCE(torv);
}

namespace torv {

QIcon ApplicationIcon() {
    static const bool initialized = (InitIconResources(), true);
    (void)initialized;
    return QIcon(QStringLiteral(":/icons/torv.png"));
}

}  // namespace torv
