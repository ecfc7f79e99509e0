#include "workers/device.h"

QString deviceName(Device device)
{
    return device == Device::Mobile ? QStringLiteral("移动端") : QStringLiteral("电脑端");
}
