#include "app/DevicePageMap.h"

#include "device/DeviceTypeTable.h"

std::optional<tDevicePageInfo> DevicePageFor(uint8_t deviceType) {
    const tDeviceTypeInfo& info = DeviceTypeInfo(deviceType);
    if (info.PageIndex < 0) return std::nullopt;
    return tDevicePageInfo{info.PageIndex, info.PictureIndex, info.HelpContext,
                           info.Class == tDeviceClass::IRRF};
}
