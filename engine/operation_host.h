#pragma once
// How an operation body talks to the person: the transfer dialog, torvctl and the tests each
// implement this once.

#include <string_view>

namespace torv {

// Message box captions of the tool.
enum class Caption { kError, kWarningBang, kWarning, kTorv };
enum class Icon { kStop, kExclamation, kQuestion, kInformation };
enum class Answer { kNo, kYes };

// "Error", "Warning!", "Warning" or "TORV".
std::string_view CaptionText(Caption caption);

// The progress bar runs from 0 to this.
inline constexpr int kProgressMax = 512;

class OperationHost {
  public:
    virtual ~OperationHost() = default;
    // A Yes/No question; true means Yes.
    virtual bool ask(Caption caption, Icon icon, std::string_view text, Answer defaultAnswer) = 0;
    virtual void show(Caption caption, Icon icon, std::string_view text) = 0;
    virtual void setStatus(std::string_view text) = 0;
    virtual void setProgress(int position) = 0;  // 0..kProgressMax
    // Lets pending user input (Cancel) and repainting through between blocks of exchanges.
    virtual void pumpMessages() = 0;
};

}  // namespace torv
