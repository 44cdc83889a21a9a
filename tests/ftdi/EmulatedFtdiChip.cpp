#include "EmulatedFtdiChip.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <memory>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
// After sys/ioctl.h, which defines the macros the usbfs requests are made of.
#include <linux/usbdevice_fs.h>

namespace {

using tClock = std::chrono::steady_clock;

constexpr auto kLatency = std::chrono::milliseconds(16); // an idle chip answers a read after this
constexpr auto kLongestHold = std::chrono::milliseconds(4);

std::string hex(const std::vector<uint8_t>& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

usbdevfs_urb* urbOf(UMockdevIoctlData* data) {
    return reinterpret_cast<usbdevfs_urb*>(data->data);
}

uint8_t* bufferOf(UMockdevIoctlData* data) {
    return static_cast<uint8_t*>(urbOf(data)->buffer);
}

} // namespace

// What a callback posted to the worker thread holds: the chip, or null once it is destroyed.
struct tEmulatedFtdiChip::tLink {
    std::mutex mutex;
    tEmulatedFtdiChip* chip = nullptr;
};

// Runs releaseHeldReap on the worker thread from a timer or an invocation.
gboolean tEmulatedFtdiChip::onWorker(gpointer data) {
    tLink& link = **static_cast<std::shared_ptr<tLink>*>(data);
    std::lock_guard lock(link.mutex);
    if (link.chip != nullptr) link.chip->releaseHeldReap();
    return G_SOURCE_REMOVE;
}

void tEmulatedFtdiChip::dropLink(gpointer data) {
    delete static_cast<std::shared_ptr<tLink>*>(data);
}

void tEmulatedFtdiChip::AddRootHub(UMockdevTestbed* testbed, int bus) {
    const std::string b = std::to_string(bus);
    g_free(umockdev_testbed_add_device(testbed, "usb", ("usb" + b).c_str(), nullptr, "busnum", b.c_str(),
                                       "devnum", "1", "idVendor", "1d6b", "idProduct", "0002", nullptr,
                                       "DEVTYPE", "usb_device", nullptr));
}

std::vector<uint16_t> tEmulatedFtdiChip::Words(const std::vector<uint8_t>& image) {
    std::vector<uint16_t> eeprom(image.size() / 2);
    for (size_t i = 0; i < eeprom.size(); ++i)
        eeprom[i] = uint16_t(image[2 * i] | image[2 * i + 1] << 8);
    return eeprom;
}

tEmulatedFtdiChip::tEmulatedFtdiChip(UMockdevTestbed* testbed, const tSetup& setup)
    : testbed_(testbed), setup_(setup), handler_(umockdev_ioctl_base_new()),
      link_(std::make_shared<tLink>()) {
    link_->chip = this;
    char node[32];
    std::snprintf(node, sizeof node, "/dev/bus/usb/%03d/%03d", setup.bus, setup.address);
    node_ = node;
    devicePath_ = "/sys/devices/" + setup.name;
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(onIoctl), this);
    umockdev_testbed_attach_ioctl(testbed_, node_.c_str(), handler_, nullptr);
    // A full-speed device with one configuration of one interface and its two bulk endpoints.
    std::vector<uint8_t> descriptors = {
        18,   1,  0x00, 0x02, 0, 0, 0, 8,    0,    0,    0, 0, 0, 0,    1, 2,  3, 1, 9, 2, 32,   0, 1,  1, 0,
        0x80, 45, 9,    4,    0, 0, 2, 0xFF, 0xFF, 0xFF, 2, 7, 5, 0x81, 2, 64, 0, 0, 7, 5, 0x02, 2, 64, 0, 0};
    const auto put16 = [&](size_t at, uint16_t value) {
        descriptors[at] = uint8_t(value);
        descriptors[at + 1] = uint8_t(value >> 8);
    };
    put16(8, setup.vendorId);
    put16(10, setup.productId);
    put16(12, setup.release);
    char ids[16];
    std::snprintf(ids, sizeof ids, "%04x %04x", setup.vendorId, setup.productId);
    const std::string bus = std::to_string(setup.bus), address = std::to_string(setup.address);
    const std::string record =
        "P: " + devicePath_.substr(4) + "\nN: " + node_.substr(5) +
        "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nE: DEVNAME=" + node_ + "\nE: BUSNUM=" + bus +
        "\nE: DEVNUM=" + address + "\nA: busnum=" + bus + "\nA: devnum=" + address +
        "\nA: idVendor=" + std::string(ids, 4) + "\nA: idProduct=" + std::string(ids + 5, 4) +
        "\nA: speed=12\nA: bConfigurationValue=1\nH: descriptors=" + hex(descriptors) + "\n";
    umockdev_testbed_add_from_string(testbed_, record.c_str(), nullptr);
}

tEmulatedFtdiChip::~tEmulatedFtdiChip() {
    {
        std::lock_guard lock(link_->mutex);
        link_->chip = nullptr;
    }
    umockdev_testbed_detach_ioctl(testbed_, node_.c_str(), nullptr);
    std::lock_guard lock(mutex_);
    for (tUrb& urb : inFlight_)
        g_object_unref(urb.data);
    if (holdTimer_ != nullptr) {
        g_source_destroy(holdTimer_);
        g_source_unref(holdTimer_);
    }
    if (heldReap_ != nullptr) g_object_unref(heldReap_);
    if (worker_ != nullptr) g_main_context_unref(worker_);
    g_object_unref(handler_);
}

gboolean tEmulatedFtdiChip::onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
    return static_cast<tEmulatedFtdiChip*>(self)->handle(client);
}

bool tEmulatedFtdiChip::handle(UMockdevIoctlClient* client) {
    std::lock_guard lock(mutex_);
    if (worker_ == nullptr) worker_ = g_main_context_ref_thread_default();
    const gulong request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    const auto done = [&](long result, int error) {
        umockdev_ioctl_client_complete(client, result, error);
        changed();
        return true;
    };
    // The request's argument as a structure of the client's.
    const auto resolved = [&](size_t size) { return umockdev_ioctl_data_resolve(arg, 0, size, nullptr); };

    switch (request) {
    case USBDEVFS_REAPURB:
    case USBDEVFS_REAPURBNDELAY:
        settle();
        if (reapReady(client)) return true;
        if (inFlight_.empty() || heldReap_ != nullptr) return done(-1, unplugged_ ? ENODEV : EAGAIN);
        holdReap(client);
        return true;
    case USBDEVFS_DISCARDURB: {
        const gulong address = *reinterpret_cast<gulong*>(arg->data);
        for (tUrb& urb : inFlight_)
            if (urb.data->client_addr == address) {
                if (!urb.ready) {
                    urbOf(urb.data)->status = -ENOENT;
                    urbOf(urb.data)->actual_length = 0;
                    urb.ready = true;
                }
                return done(0, 0);
            }
        return done(-1, EINVAL);
    }
    default:
        break;
    }
    if (unplugged_) return done(-1, ENODEV);

    switch (request) {
    case USBDEVFS_GET_CAPABILITIES: {
        UMockdevIoctlData* capabilities = resolved(sizeof(uint32_t));
        *reinterpret_cast<uint32_t*>(capabilities->data) = USBDEVFS_CAP_BULK_CONTINUATION |
                                                           USBDEVFS_CAP_NO_PACKET_SIZE_LIM |
                                                           USBDEVFS_CAP_REAP_AFTER_DISCONNECT;
        g_object_unref(capabilities);
        return done(0, 0);
    }
    case USBDEVFS_DISCONNECT_CLAIM:
    case USBDEVFS_CLAIMINTERFACE:
        if (claimedElsewhere_) return done(-1, EBUSY);
        if (request == USBDEVFS_DISCONNECT_CLAIM) ++record_.driverDetaches;
        record_.claimed = true;
        return done(0, 0);
    case USBDEVFS_RELEASEINTERFACE:
        record_.claimed = false;
        return done(0, 0);
    case USBDEVFS_IOCTL: {
        UMockdevIoctlData* command = resolved(sizeof(usbdevfs_ioctl));
        const int code = reinterpret_cast<usbdevfs_ioctl*>(command->data)->ioctl_code;
        g_object_unref(command);
        if (code == int(USBDEVFS_CONNECT)) ++record_.driverAttaches;
        if (code == int(USBDEVFS_DISCONNECT)) ++record_.driverDetaches;
        return done(0, 0);
    }
    case USBDEVFS_CLEAR_HALT: {
        UMockdevIoctlData* endpoint = resolved(sizeof(unsigned));
        if (*reinterpret_cast<unsigned*>(endpoint->data) == 0x81) halted_ = false;
        g_object_unref(endpoint);
        ++record_.clearHalts;
        return done(0, 0);
    }
    case USBDEVFS_SUBMITURB:
        submit(resolved(sizeof(usbdevfs_urb)));
        return done(0, 0);
    case USBDEVFS_GETDRIVER:
        return done(-1, ENODATA);
    default:
        return done(-1, ENOTTY);
    }
}

void tEmulatedFtdiChip::submit(UMockdevIoctlData* urbData) {
    usbdevfs_urb* urb = urbOf(urbData);
    g_object_unref(umockdev_ioctl_data_resolve(urbData, offsetof(usbdevfs_urb, buffer),
                                               size_t(std::max(urb->buffer_length, 0)), nullptr));
    tUrb entry{urbData, false, tClock::now() + kLatency};
    urb->status = 0;
    urb->actual_length = 0;
    if (urb->type == USBDEVFS_URB_TYPE_CONTROL) {
        control(entry);
    } else if (urb->endpoint == 0x02) {
        record_.written.append(reinterpret_cast<const char*>(urb->buffer), size_t(urb->buffer_length));
        urb->actual_length = urb->buffer_length;
        entry.ready = true;
    } else {
        ++record_.bulkInSubmits;
    }
    inFlight_.push_back(entry);
    settle();
}

void tEmulatedFtdiChip::control(tUrb& entry) {
    usbdevfs_urb* urb = urbOf(entry.data);
    uint8_t* setup = bufferOf(entry.data);
    const uint8_t request = setup[1];
    const int value = setup[2] | setup[3] << 8, index = setup[4] | setup[5] << 8;
    entry.ready = true;
    switch (request) {
    case 0x90: // read an EEPROM word
        if (index == heldAddress_) {
            readHeld_ = true;
            entry.ready = false;
            entry.due = tClock::time_point::max();
            return;
        }
        setup[8] = uint8_t(setup_.eeprom[size_t(index) % setup_.eeprom.size()]);
        setup[9] = uint8_t(setup_.eeprom[size_t(index) % setup_.eeprom.size()] >> 8);
        urb->actual_length = 2;
        break;
    case 0x91: // write an EEPROM word
        setup_.eeprom[size_t(index) % setup_.eeprom.size()] = uint16_t(value);
        ++record_.eepromWrites;
        break;
    case 0x0A: // latency timer
        setup[8] = 16;
        urb->actual_length = 1;
        break;
    case 0x03:
        record_.baudValue = value;
        record_.baudIndex = index;
        break;
    case 0x04:
        record_.lineValue = value;
        break;
    default:
        break;
    }
}

// Decides every bulk read that can be decided now.
void tEmulatedFtdiChip::settle() {
    const auto now = tClock::now();
    for (tUrb& entry : inFlight_) {
        usbdevfs_urb* urb = urbOf(entry.data);
        if (entry.ready) continue;
        if (unplugged_) {
            urb->status = -ESHUTDOWN;
        } else if (urb->type == USBDEVFS_URB_TYPE_CONTROL) {
            continue; // an EEPROM read held back
        } else if (halted_ || haltsLeft_ > 0) {
            if (!halted_) --haltsLeft_;
            halted_ = true;
            urb->status = -EPIPE;
            ++record_.failedReads;
        } else if (failuresLeft_ > 0) {
            --failuresLeft_;
            urb->status = -EPROTO;
            ++record_.failedReads;
        } else if (!pending_.empty() || now >= entry.due) {
            // One packet: the two modem-status bytes, then what has arrived.
            uint8_t* buffer = bufferOf(entry.data);
            const size_t n = std::min(pending_.size(), size_t(std::max(urb->buffer_length - 2, 0)));
            buffer[0] = 0x01;
            buffer[1] = 0x60;
            std::memcpy(buffer + 2, pending_.data(), n);
            pending_.erase(0, n);
            if (n > 0) record_.lastDelivery = record_.bulkInSubmits;
            urb->actual_length = int(2 + n);
        } else {
            continue;
        }
        entry.ready = true;
    }
}

bool tEmulatedFtdiChip::reapReady(UMockdevIoctlClient* client) {
    const auto it = std::find_if(inFlight_.begin(), inFlight_.end(), [](const tUrb& u) { return u.ready; });
    if (it == inFlight_.end()) return false;
    UMockdevIoctlData* urb = it->data;
    inFlight_.erase(it);
    UMockdevIoctlData* slot =
        umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(void*), nullptr);
    umockdev_ioctl_data_set_ptr(slot, 0, urb);
    g_object_unref(slot);
    g_object_unref(urb);
    umockdev_ioctl_client_complete(client, 0, 0);
    changed();
    return true;
}

// Nothing can be reaped yet: the answer waits until a read is due or a few milliseconds have passed,
// as a process waiting in poll() would.
void tEmulatedFtdiChip::holdReap(UMockdevIoctlClient* client) {
    auto wait = kLongestHold;
    for (const tUrb& urb : inFlight_)
        if (!urb.ready && urb.due != tClock::time_point::max())
            wait = std::min(wait,
                            std::chrono::duration_cast<std::chrono::milliseconds>(urb.due - tClock::now()));
    heldReap_ = static_cast<UMockdevIoctlClient*>(g_object_ref(client));
    holdTimer_ = g_timeout_source_new(guint(std::max<long>(wait.count(), 1)));
    g_source_set_callback(holdTimer_, onWorker, new std::shared_ptr<tLink>(link_), dropLink);
    g_source_attach(holdTimer_, worker_);
}

void tEmulatedFtdiChip::releaseHeldReap() {
    std::lock_guard lock(mutex_);
    if (holdTimer_ != nullptr) {
        g_source_destroy(holdTimer_);
        g_source_unref(holdTimer_);
        holdTimer_ = nullptr;
    }
    UMockdevIoctlClient* client = heldReap_;
    heldReap_ = nullptr;
    if (client == nullptr) return;
    settle();
    if (!reapReady(client)) {
        umockdev_ioctl_client_complete(client, -1, unplugged_ && inFlight_.empty() ? ENODEV : EAGAIN);
        changed();
    }
    g_object_unref(client);
}

// Answers a held reap at once when the test changed what the chip has to say.
void tEmulatedFtdiChip::wake() {
    if (worker_ == nullptr || heldReap_ == nullptr) return;
    g_main_context_invoke_full(worker_, G_PRIORITY_DEFAULT, onWorker, new std::shared_ptr<tLink>(link_),
                               dropLink);
}

void tEmulatedFtdiChip::Send(const std::string& bytes) {
    std::lock_guard lock(mutex_);
    pending_ += bytes;
    wake();
}

void tEmulatedFtdiChip::HaltIn(int times) {
    std::lock_guard lock(mutex_);
    haltsLeft_ = times;
    wake();
}

void tEmulatedFtdiChip::FailIn(int times) {
    std::lock_guard lock(mutex_);
    failuresLeft_ = times;
    wake();
}

void tEmulatedFtdiChip::HoldEepromRead(int address) {
    std::lock_guard lock(mutex_);
    heldAddress_ = address;
}

void tEmulatedFtdiChip::ReleaseEepromRead() {
    std::lock_guard lock(mutex_);
    heldAddress_ = -1;
    for (tUrb& entry : inFlight_)
        if (!entry.ready && urbOf(entry.data)->type == USBDEVFS_URB_TYPE_CONTROL) {
            readHeld_ = false;
            uint8_t* setup = bufferOf(entry.data);
            const size_t index = size_t(setup[4] | setup[5] << 8) % setup_.eeprom.size();
            setup[8] = uint8_t(setup_.eeprom[index]);
            setup[9] = uint8_t(setup_.eeprom[index] >> 8);
            urbOf(entry.data)->actual_length = 2;
            entry.ready = true;
        }
    wake();
}

void tEmulatedFtdiChip::ClaimElsewhere() {
    std::lock_guard lock(mutex_);
    claimedElsewhere_ = true;
    gchar* interface =
        umockdev_testbed_add_device(testbed_, "usb", (setup_.name + ":1.0").c_str(), devicePath_.c_str(),
                                    nullptr, "DEVTYPE", "usb_interface", nullptr);
    umockdev_testbed_set_attribute_link(testbed_, interface, "driver", "../../../bus/usb/drivers/usbfs");
    g_free(interface);
}

bool tEmulatedFtdiChip::DenyAccess() {
    if (geteuid() == 0) return false; // root opens any node
    gchar* root = umockdev_testbed_get_root_dir(testbed_);
    const bool denied = chmod((std::string(root) + node_).c_str(), 0) == 0;
    g_free(root);
    return denied;
}

void tEmulatedFtdiChip::Unplug() {
    std::lock_guard lock(mutex_);
    unplugged_ = true;
    wake();
}

tEmulatedFtdiChip::tRecord tEmulatedFtdiChip::State() {
    std::lock_guard lock(mutex_);
    return record_;
}

std::vector<uint16_t> tEmulatedFtdiChip::Eeprom() {
    std::lock_guard lock(mutex_);
    return setup_.eeprom;
}

bool tEmulatedFtdiChip::WaitUntil(const std::function<bool(const tRecord&)>& predicate) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return predicate(record_); });
}

bool tEmulatedFtdiChip::WaitForHeldRead() {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return readHeld_; });
}
