#pragma once
// The COM port list says what each entry opens: each entry's tooltip names its device and what it
// is ("COM3: /dev/ttyUSB0, USB serial adapter FTDI FT232R USB UART, serial A10K3XYZ", "no device"),
// and the line under the list repeats it for the chosen entry. Read again whenever asked, so a
// plugged-in adapter shows up.

class QComboBox;
class QLabel;

namespace torv {

void DescribePorts(QComboBox* comPorts, QLabel* line);

}  // namespace torv
