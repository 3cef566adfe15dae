#pragma once
// The tool's icon, from the resources built into the program.

#include <QIcon>

namespace torv {

QIcon ApplicationIcon();

}  // namespace torv
