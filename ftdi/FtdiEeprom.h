#pragma once
// The adapter's EEPROM image and the identity it carries (vendor and product id, the three strings,
// power and chip flags), converted both ways. Decoding is bounds-checked and never trusts the
// image: a blank image (all 0xFF) and a bad checksum are recognised before anything is decoded.
// Images are built by libftdi, which knows every chip's layout.

#include "programmer/D2XXTypes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ftdi {

// The chip families as libftdi numbers them (enum ftdi_chip_type).
enum class tChipType { AM = 0, BM = 1, FT2232C = 2, R = 3, FT2232H = 4, FT4232H = 5, FT232H = 6, FT230X = 7 };

// The chip family from the device descriptor's release number (bcdDevice) and whether it names a
// serial-number string (early BM chips report 0x0200 without one).
tChipType ChipTypeFromRelease(uint16_t bcdDevice, bool hasSerialNumberString);

// The chip's name as FTDI sells it ("FT232BM", "FT232R", "FT2232H", ...), for messages.
const char* ChipName(tChipType chip);

constexpr uint16_t kFtdiVendorId = 0x0403;
constexpr uint16_t kAdapterProductId = 0xDBC0;      // a programmed adapter
constexpr uint16_t kBlankAdapterProductId = 0x6001; // FT232 chips as they leave the factory: a blank adapter

// The adapter's own ids, 0403:dbc0 and 0403:6001: what the driver layer lists, the udev rule covers and
// programming may write.
bool IsAdapterProduct(uint16_t vendorId, uint16_t productId);
// FTDI's other factory ids (dual and quad chips, FT232H, the X series): never an adapter, listed only
// when the user asks for every FTDI device.
bool IsOtherFtdiProduct(uint16_t vendorId, uint16_t productId);
bool IsListedProduct(uint16_t vendorId, uint16_t productId, bool everyFtdiDevice);

// Whether programming may write this chip's EEPROM: a programmed adapter (0403:dbc0), or an FT232 at
// FTDI's factory id whose EEPROM is blank. Any other FTDI chip belongs to something else.
bool MayProgram(uint16_t vendorId, uint16_t productId, tChipType chip, bool blank);

// Bytes read from the EEPROM when an adapter is opened: 128 words, or 64 for the FT232R, whose
// internal EEPROM holds no more (smaller external parts mirror in the upper half).
constexpr int kEepromReadBytes = 256;
int EepromReadBytes(tChipType chip);

struct tAdapterIdentity {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    std::string manufacturer;
    std::string description;
    std::string serialNumber;
    uint16_t maxPower = 0; // mA
    bool selfPowered = false;
    bool remoteWakeup = false;
    bool isoIn = false;
    bool isoOut = false;
    bool pullDownEnable = false;
    bool serNumEnable = false;
    bool usbVersionEnable = false;
    uint16_t usbVersion = 0;

    bool operator==(const tAdapterIdentity&) const = default;
};

// The size of the EEPROM behind an image read at open: 128 bytes for internal and 93C46 parts
// (they mirror in the upper half) and for a 93C56 holding a 128-byte image, 256 otherwise.
int EepromSize(const std::vector<uint8_t>& image, tChipType chip);

// True when every byte of the used part is 0xFF: the EEPROM was never programmed.
bool IsBlank(const std::vector<uint8_t>& image, int size);

// The checksum the chip expects in the last word of an image of `size` bytes.
uint16_t ImageChecksum(const std::vector<uint8_t>& image, int size, tChipType chip);

// Decodes an image read from an adapter: FT_EEPROM_NOT_PROGRAMMED for a blank image, FT_IO_ERROR for
// a bad checksum or one too short to hold a header, FT_OK with the identity filled otherwise.
FT_STATUS DecodeImage(const std::vector<uint8_t>& image, tChipType chip, tAdapterIdentity& identity);

// Builds the image that programs `identity` into a chip: FT_INVALID_PARAMETER when the strings do
// not fit the EEPROM (never a truncated image) or a value is out of range, FT_OK otherwise.
// Whether the three strings fit the EEPROM of `eepromSize` bytes beside the chip's settings.
bool StringsFit(const tAdapterIdentity& identity, tChipType chip, int eepromSize);

// `eepromSize` is the size of the chip's EEPROM as found at open (128 or 256 bytes).
FT_STATUS BuildImage(const tAdapterIdentity& identity, tChipType chip, int eepromSize,
                     std::vector<uint8_t>& image);

// Between the driver's descriptor record and the identity. Strings are copied within the record's
// buffer capacities; the record's pointers must point at those buffers.
FT_STATUS IdentityFromDescriptor(const FT_DESCRIPTOR* descriptor, tAdapterIdentity& identity);
FT_STATUS FillDescriptor(const tAdapterIdentity& identity, tChipType chip, FT_DESCRIPTOR* descriptor);

} // namespace ftdi
