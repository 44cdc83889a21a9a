#pragma once
// An FTDI chip emulated at the usbfs level for tests run under umockdev-run: the device appears in
// the mocked sysfs with its device node, and every ioctl libusb makes on that node (control and bulk
// URBs, claim and release, kernel driver hand-over, clear-halt) is answered here, on umockdev's
// worker thread. The chip answers EEPROM and latency requests, records line settings and written
// bytes, and returns received bytes; an idle chip answers a bulk read after its 16 ms latency timer,
// and a reap with nothing ready is held a few milliseconds, so libusb does not spin on the mock.
// Faults: a halted bulk-in endpoint, failed transfers, an EEPROM request held back, a claim by another
// program, a node the user may not open, and unplugging.

#include <umockdev.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class tEmulatedFtdiChip {
public:
    struct tSetup {
        std::string name = "1-3"; // the kernel's name: bus and port path
        int bus = 1;
        int address = 3;
        uint16_t vendorId = 0x0403;
        uint16_t productId = 0x6001;
        uint16_t release = 0x0400; // bcdDevice: 0x0400 FT232BM, 0x0600 FT232R, 0x0700 FT2232H
        std::vector<uint16_t> eeprom = std::vector<uint16_t>(64, 0xFFFF); // blank 93C46
    };

    // What the chip saw, read under the chip's lock through State().
    struct tRecord {
        int bulkInSubmits = 0;
        int lastDelivery = 0; // the bulk read that carried the last bytes sent (by submit count)
        int failedReads = 0;  // bulk reads answered with a halt or an I/O error
        int clearHalts = 0;
        int eepromWrites = 0;
        int driverDetaches = 0; // the kernel's serial driver taken away (claim)
        int driverAttaches = 0; // and given back (release)
        bool claimed = false;
        int baudValue = -1; // the divisor request's value and index
        int baudIndex = -1;
        int lineValue = -1;
        std::string written;
    };

    tEmulatedFtdiChip(UMockdevTestbed* testbed, const tSetup& setup);
    ~tEmulatedFtdiChip();
    tEmulatedFtdiChip(const tEmulatedFtdiChip&) = delete;
    tEmulatedFtdiChip& operator=(const tEmulatedFtdiChip&) = delete;

    // Adds the root hub of a bus; call once per bus before its chips.
    static void AddRootHub(UMockdevTestbed* testbed, int bus);
    // An EEPROM image as the chip's words.
    static std::vector<uint16_t> Words(const std::vector<uint8_t>& image);

    void Send(const std::string& bytes); // bytes the chip receives on its serial line
    void HaltIn(int times);              // the next `times` bulk reads halt the endpoint
    void FailIn(int times);              // the next `times` bulk reads fail (-EPROTO)
    void HoldEepromRead(int address);    // that EEPROM read waits until ReleaseEepromRead
    void ReleaseEepromRead();
    void ClaimElsewhere(); // another program holds the interface through usbfs
    bool DenyAccess();     // the node may not be opened (false: not possible here)
    void Unplug();

    tRecord State();
    std::vector<uint16_t> Eeprom();
    // Waits (at most ten seconds) until the chip's record satisfies the predicate.
    bool WaitUntil(const std::function<bool(const tRecord&)>& predicate);
    // Whether an EEPROM read is being held back.
    bool WaitForHeldRead();

private:
    struct tUrb {
        UMockdevIoctlData* data = nullptr; // the client's URB, its buffer resolved as a child
        bool ready = false;
        std::chrono::steady_clock::time_point due; // a pending bulk read's answer without data
    };

    struct tLink;
    static gboolean onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);
    static gboolean onWorker(gpointer link);
    static void dropLink(gpointer link);
    bool handle(UMockdevIoctlClient* client);
    void submit(UMockdevIoctlData* urbData);
    void control(tUrb& urb);
    void settle();
    bool reapReady(UMockdevIoctlClient* client);
    void holdReap(UMockdevIoctlClient* client);
    void releaseHeldReap();
    void wake();
    void changed() { changed_.notify_all(); }

    UMockdevTestbed* testbed_;
    tSetup setup_;
    std::string devicePath_, node_;
    UMockdevIoctlBase* handler_;
    GMainContext* worker_ = nullptr;
    std::shared_ptr<tLink> link_;

    std::mutex mutex_;
    std::condition_variable changed_;
    tRecord record_;
    std::deque<tUrb> inFlight_;
    std::string pending_; // bytes waiting for a bulk read
    int haltsLeft_ = 0, failuresLeft_ = 0;
    bool halted_ = false, unplugged_ = false, claimedElsewhere_ = false;
    int heldAddress_ = -1;
    bool readHeld_ = false;
    UMockdevIoctlClient* heldReap_ = nullptr;
    GSource* holdTimer_ = nullptr;
};
