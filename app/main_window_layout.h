#pragma once
// The controls of the main window, grouped and ordered as the tool has always shown them. Each
// control carries its id; the window finds its controls by id.

class QDialog;

namespace torv {

// The object name of the line under the COM port list that says what the chosen port opens.
inline constexpr const char* kPortDescriptionName = "portDescription";
// The object name of the monitor group's "Trend..." button.
inline constexpr const char* kTrendButtonName = "trendButton";

// Creates every group and control of the main window inside `window` and lays them out.
void BuildMainWindowLayout(QDialog* window);

}  // namespace torv
