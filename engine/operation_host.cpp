#include "engine/operation_host.h"

namespace torv {

std::string_view CaptionText(Caption caption) {
    switch (caption) {
        case Caption::kError:
            return "Error";
        case Caption::kWarningBang:
            return "Warning!";
        case Caption::kWarning:
            return "Warning";
        case Caption::kTorv:
            return "TORV";
    }
    return "TORV";
}

}  // namespace torv
