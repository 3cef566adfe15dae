#include "app/port_descriptions.h"

#include <QComboBox>
#include <QLabel>

#include "link/port_names.h"
#include "ui/user_prompts.h"

namespace torv {
namespace {

QString PortDescription(int portNumber) {
    const std::string device = ComPortDevicePath(portNumber);
    const std::string what = DescribeSerialDevice(device);
    return QStringLiteral("COM%1: %2, %3").arg(portNumber).arg(ToQString(device), ToQString(what));
}

}  // namespace

void DescribePorts(QComboBox* comPorts, QLabel* line) {
    for (int index = 0; index < comPorts->count(); ++index) {
        comPorts->setItemData(index, PortDescription(index + 1), Qt::ToolTipRole);
    }
    const int chosen = comPorts->currentIndex();
    line->setText(chosen >= 0 ? comPorts->itemData(chosen, Qt::ToolTipRole).toString() : QString());
    comPorts->setToolTip(line->text());
}

}  // namespace torv
