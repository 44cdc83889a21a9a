#include "ftdi/FtdiEeprom.h"

#include <algorithm>
#include <cstring>
#include <ftdi.h>
#include <memory>

namespace ftdi {

namespace {

// Header bytes every chip shares.
constexpr int kConfigAttributes = 0x08; // bit 6 self powered, bit 5 remote wakeup
constexpr int kMaxPowerUnits = 0x09;    // 2 mA units
constexpr int kChipConfig = 0x0A;       // iso in, iso out, pull-downs, serial number, USB version
constexpr int kUsbVersion = 0x0C;
constexpr int kStringTable = 0x0E; // offset and length of manufacturer, product, serial number
constexpr int kHeaderBytes = 0x14;

uint16_t word(const std::vector<uint8_t>& image, int byteOffset) {
    return static_cast<uint16_t>(image[static_cast<size_t>(byteOffset)] |
                                 (image[static_cast<size_t>(byteOffset) + 1] << 8));
}

// A string descriptor stored in the image: length byte, type 3, then UTF-16LE units of which the
// chip's strings use the low byte. Positions wrap within the EEPROM as the chip addresses them.
std::string readString(const std::vector<uint8_t>& image, int size, int tableIndex) {
    const int offset = image[static_cast<size_t>(kStringTable + 2 * tableIndex)];
    const int length = image[static_cast<size_t>(kStringTable + 2 * tableIndex + 1)];
    if (offset == 0 || length < 2) return {};
    const int mask = size - 1;
    const auto at = [&](int position) { return image[static_cast<size_t>(position & mask)]; };
    if (at(offset + 1) != 0x03) return {};
    const int units = std::min(length, static_cast<int>(at(offset))) / 2 - 1;
    std::string text;
    for (int i = 0; i < units; ++i) {
        const char c = static_cast<char>(at(offset + 2 + 2 * i));
        if (c == '\0') break;
        text += c;
    }
    return text;
}

bool bit(uint8_t value, int number) {
    return (value >> number) & 1;
}

struct FtdiFree {
    void operator()(ftdi_context* context) const { ftdi_free(context); }
};

// A string copied into a record buffer of `capacity` bytes, terminator included.
void copyString(char* target, int capacity, const std::string& text) {
    const size_t n = std::min(text.size(), static_cast<size_t>(capacity - 1));
    std::memcpy(target, text.data(), n);
    target[n] = '\0';
}

// A zero-terminated string from a record buffer; false when no terminator lies within `capacity`.
bool takeString(const char* source, int capacity, std::string& text) {
    if (source == nullptr) return false;
    const void* end = std::memchr(source, '\0', static_cast<size_t>(capacity));
    if (end == nullptr) return false;
    text.assign(source, static_cast<const char*>(end));
    return true;
}

} // namespace

tChipType ChipTypeFromRelease(uint16_t bcdDevice, bool hasSerialNumberString) {
    switch (bcdDevice) {
    case 0x0400:
        return tChipType::BM;
    case 0x0200:
        return hasSerialNumberString ? tChipType::AM : tChipType::BM;
    case 0x0500:
        return tChipType::FT2232C;
    case 0x0600:
        return tChipType::R;
    case 0x0700:
        return tChipType::FT2232H;
    case 0x0800:
        return tChipType::FT4232H;
    case 0x0900:
        return tChipType::FT232H;
    case 0x1000:
        return tChipType::FT230X;
    default:
        return tChipType::BM;
    }
}

const char* ChipName(tChipType chip) {
    switch (chip) {
    case tChipType::AM:
        return "FT232AM";
    case tChipType::BM:
        return "FT232BM";
    case tChipType::FT2232C:
        return "FT2232C";
    case tChipType::R:
        return "FT232R";
    case tChipType::FT2232H:
        return "FT2232H";
    case tChipType::FT4232H:
        return "FT4232H";
    case tChipType::FT232H:
        return "FT232H";
    case tChipType::FT230X:
        return "FT-X";
    }
    return "FTDI";
}

bool IsAdapterProduct(uint16_t vendorId, uint16_t productId) {
    return vendorId == kFtdiVendorId &&
           (productId == kAdapterProductId || productId == kBlankAdapterProductId);
}

bool IsOtherFtdiProduct(uint16_t vendorId, uint16_t productId) {
    if (vendorId != kFtdiVendorId) return false;
    switch (productId) {
    case 0x6010: // FT2232C/D/H
    case 0x6011: // FT4232H
    case 0x6014: // FT232H
    case 0x6015: // the X series
        return true;
    default:
        return false;
    }
}

bool IsListedProduct(uint16_t vendorId, uint16_t productId, bool everyFtdiDevice) {
    return IsAdapterProduct(vendorId, productId) ||
           (everyFtdiDevice && IsOtherFtdiProduct(vendorId, productId));
}

bool MayProgram(uint16_t vendorId, uint16_t productId, tChipType chip, bool blank) {
    if (vendorId != kFtdiVendorId) return false;
    if (productId == kAdapterProductId) return true;
    const bool ft232 = chip == tChipType::AM || chip == tChipType::BM || chip == tChipType::R;
    return productId == kBlankAdapterProductId && ft232 && blank;
}

int EepromReadBytes(tChipType chip) {
    return chip == tChipType::R ? 0x80 : kEepromReadBytes;
}

int EepromSize(const std::vector<uint8_t>& image, tChipType chip) {
    if (chip == tChipType::R) return 0x80;
    if (chip == tChipType::FT230X) return 0x100;
    if (image.size() < 0x100) return 0x80;
    // A 93C56 written with a 128-byte image keeps its upper half erased.
    const bool upperErased =
        std::all_of(image.begin() + 0x80, image.begin() + 0x100, [](uint8_t b) { return b == 0xFF; });
    if (upperErased) return 0x80;
    return std::equal(image.begin(), image.begin() + 0x80, image.begin() + 0x80) ? 0x80 : 0x100;
}

bool IsBlank(const std::vector<uint8_t>& image, int size) {
    const auto end = image.begin() + std::min(static_cast<size_t>(size), image.size());
    return std::all_of(image.begin(), end, [](uint8_t b) { return b == 0xFF; });
}

uint16_t ImageChecksum(const std::vector<uint8_t>& image, int size, tChipType chip) {
    uint16_t checksum = 0xAAAA;
    for (int i = 0; i < size / 2 - 1; ++i) {
        // The X series keeps a user area outside the checksum.
        if (chip == tChipType::FT230X && i == 0x12) i = 0x40;
        checksum = static_cast<uint16_t>(word(image, 2 * i) ^ checksum);
        checksum = static_cast<uint16_t>((checksum << 1) | (checksum >> 15));
    }
    return checksum;
}

FT_STATUS DecodeImage(const std::vector<uint8_t>& image, tChipType chip, tAdapterIdentity& identity) {
    if (image.size() < 0x80) return FT_IO_ERROR;
    const int size = std::min(EepromSize(image, chip), static_cast<int>(image.size()));
    if (IsBlank(image, size)) return FT_EEPROM_NOT_PROGRAMMED;
    if (word(image, size - 2) != ImageChecksum(image, size, chip)) return FT_IO_ERROR;

    tAdapterIdentity decoded;
    decoded.vendorId = word(image, 2);
    decoded.productId = word(image, 4);
    decoded.selfPowered = bit(image[kConfigAttributes], 6);
    decoded.remoteWakeup = bit(image[kConfigAttributes], 5);
    decoded.maxPower = static_cast<uint16_t>(image[kMaxPowerUnits] * 2);
    if (chip != tChipType::AM && chip != tChipType::FT230X) {
        const uint8_t config = image[kChipConfig];
        decoded.isoIn = bit(config, 0);
        decoded.isoOut = bit(config, 1);
        decoded.pullDownEnable = bit(config, 2);
        decoded.serNumEnable = bit(config, 3);
        decoded.usbVersionEnable = bit(config, 4);
    }
    if (chip == tChipType::BM || chip == tChipType::FT2232C || chip == tChipType::R)
        decoded.usbVersion = word(image, kUsbVersion);
    decoded.manufacturer = readString(image, size, 0);
    decoded.description = readString(image, size, 1);
    decoded.serialNumber = readString(image, size, 2);
    identity = decoded;
    return FT_OK;
}

bool StringsFit(const tAdapterIdentity& identity, tChipType chip, int eepromSize) {
    // The three string descriptors follow the chip's settings and, from the FT2232C on, three
    // legacy bytes; all must end before the checksum word, or they would wrap into the header.
    int start = 0x94;
    switch (chip) {
    case tChipType::FT2232C:
        start = 0x96;
        break;
    case tChipType::R:
        start = 0x98;
        break;
    case tChipType::FT2232H:
    case tChipType::FT4232H:
        start = 0x9A;
        break;
    case tChipType::FT232H:
    case tChipType::FT230X:
        start = 0xA0;
        break;
    default:
        break;
    }
    const int size = eepromSize > 0x80 ? 0x100 : 0x80;
    const size_t characters =
        identity.manufacturer.size() + identity.description.size() + identity.serialNumber.size();
    const size_t trailer = chip > tChipType::BM ? 3 : 0;
    const size_t end = static_cast<size_t>(start & (size - 1)) + 6 + 2 * characters + trailer;
    return end <= static_cast<size_t>(size - 2);
}

FT_STATUS BuildImage(const tAdapterIdentity& identity, tChipType chip, int eepromSize,
                     std::vector<uint8_t>& image) {
    if (identity.maxPower < 1 || identity.maxPower > 500) return FT_INVALID_PARAMETER;
    // libftdi 1.5 cannot build the FT232H's own settings, and the X series' build reads the chip's
    // reserved area over USB: such adapters are not programmed rather than half-programmed.
    if (chip == tChipType::FT232H || chip == tChipType::FT230X) return FT_INVALID_PARAMETER;
    if (!StringsFit(identity, chip, eepromSize)) return FT_INVALID_PARAMETER;
    std::unique_ptr<ftdi_context, FtdiFree> context(ftdi_new());
    if (!context) return FT_INSUFFICIENT_RESOURCES;
    context->type = static_cast<ftdi_chip_type>(chip);

    // libftdi fills its defaults only for an opened device, though it makes no USB call doing so;
    // a stand-in handle lets it build images offline. It is cleared again before anything else.
    std::string manufacturer = identity.manufacturer, description = identity.description,
                serial = identity.serialNumber;
    context->usb_dev = reinterpret_cast<libusb_device_handle*>(context.get());
    const int initialised =
        ftdi_eeprom_initdefaults(context.get(), manufacturer.data(), description.data(), serial.data());
    context->usb_dev = nullptr;
    if (initialised != 0) return FT_INSUFFICIENT_RESOURCES;

    const std::pair<ftdi_eeprom_value, int> values[] = {
        {VENDOR_ID, identity.vendorId},
        {PRODUCT_ID, identity.productId},
        {MAX_POWER, identity.maxPower},
        {SELF_POWERED, identity.selfPowered},
        {REMOTE_WAKEUP, identity.remoteWakeup},
        {SUSPEND_PULL_DOWNS, identity.pullDownEnable},
        {USE_SERIAL, identity.serNumEnable},
        {IN_IS_ISOCHRONOUS, identity.isoIn},
        {OUT_IS_ISOCHRONOUS, identity.isoOut},
        {USE_USB_VERSION, identity.usbVersionEnable ? 0x10 : 0},
        {USB_VERSION, identity.usbVersion},
        {CHIP_TYPE, eepromSize > 0x80 ? 0x56 : 0x46}, // a 93C56 is built to its full 256 bytes
    };
    for (const auto& [name, value] : values)
        if (ftdi_set_eeprom_value(context.get(), name, value) != 0) return FT_INVALID_PARAMETER;

    const int built = ftdi_eeprom_build(context.get());
    if (built == -1) return FT_INVALID_PARAMETER; // the strings exceed the EEPROM
    if (built < 0) return FT_IO_ERROR;
    int size = 0;
    ftdi_get_eeprom_value(context.get(), CHIP_SIZE, &size);
    if (size <= 0 || size > kEepromReadBytes) return FT_IO_ERROR;
    image.assign(static_cast<size_t>(size), 0);
    if (ftdi_get_eeprom_buf(context.get(), image.data(), size) != 0) return FT_IO_ERROR;
    return FT_OK;
}

FT_STATUS IdentityFromDescriptor(const FT_DESCRIPTOR* descriptor, tAdapterIdentity& identity) {
    if (descriptor == nullptr) return FT_INVALID_PARAMETER;
    tAdapterIdentity taken;
    std::string manufacturerId;
    if (!takeString(descriptor->Manufacturer, kManufacturerCapacity, taken.manufacturer) ||
        !takeString(descriptor->ManufacturerId, kManufacturerIdCapacity, manufacturerId) ||
        !takeString(descriptor->Description, kDescriptionCapacity, taken.description) ||
        !takeString(descriptor->SerialNumber, kSerialNumberCapacity, taken.serialNumber))
        return FT_INVALID_PARAMETER;
    taken.vendorId = descriptor->VendorId;
    taken.productId = descriptor->ProductId;
    taken.maxPower = descriptor->MaxPower;
    taken.selfPowered = descriptor->SelfPowered != 0;
    taken.remoteWakeup = descriptor->RemoteWakeup != 0;
    taken.isoIn = descriptor->IsoIn != 0;
    taken.isoOut = descriptor->IsoOut != 0;
    taken.pullDownEnable = descriptor->PullDownEnable != 0;
    taken.serNumEnable = descriptor->SerNumEnable != 0;
    taken.usbVersionEnable = descriptor->USBVersionEnable != 0;
    taken.usbVersion = descriptor->USBVersion;
    identity = taken;
    return FT_OK;
}

FT_STATUS FillDescriptor(const tAdapterIdentity& identity, tChipType chip, FT_DESCRIPTOR* descriptor) {
    if (descriptor == nullptr || descriptor->Manufacturer == nullptr ||
        descriptor->ManufacturerId == nullptr || descriptor->Description == nullptr ||
        descriptor->SerialNumber == nullptr)
        return FT_INVALID_PARAMETER;
    descriptor->VendorId = identity.vendorId;
    descriptor->ProductId = identity.productId;
    copyString(descriptor->Manufacturer, kManufacturerCapacity, identity.manufacturer);
    // The manufacturer id is the letter prefix of the serial number.
    const auto letters = std::find_if(identity.serialNumber.begin(), identity.serialNumber.end(), [](char c) {
        return !((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'));
    });
    copyString(descriptor->ManufacturerId, kManufacturerIdCapacity,
               std::string(identity.serialNumber.begin(), letters));
    copyString(descriptor->Description, kDescriptionCapacity, identity.description);
    copyString(descriptor->SerialNumber, kSerialNumberCapacity, identity.serialNumber);
    descriptor->MaxPower = identity.maxPower;
    descriptor->PnP = 1;
    descriptor->SelfPowered = identity.selfPowered;
    descriptor->RemoteWakeup = identity.remoteWakeup;
    descriptor->Rev4 = chip != tChipType::AM;
    descriptor->IsoIn = identity.isoIn;
    descriptor->IsoOut = identity.isoOut;
    descriptor->PullDownEnable = identity.pullDownEnable;
    descriptor->SerNumEnable = identity.serNumEnable;
    descriptor->USBVersionEnable = identity.usbVersionEnable;
    descriptor->USBVersion = identity.usbVersion;
    return FT_OK;
}

} // namespace ftdi
