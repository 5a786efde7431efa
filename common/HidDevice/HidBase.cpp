#include "HidBase.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "HidrawDevices.h"
#include "HidrawIo.h"
#include "ReportDescriptor.h"
#include "ReportWriter.h"

namespace caraudio {

struct CHidBase::Handles {
    int readFd = -1;
    int wakeFd = -1;
    std::unique_ptr<ReportWriter> writer;  // owns the write descriptor
    ReportLengths lengths;

    ~Handles() {
        for (int fd : {readFd, wakeFd})
            if (fd >= 0) ::close(fd);
    }
};

namespace {

// The report descriptor from sysfs (works for every hidraw node, also under
// a test bed) or, failing that, from the kernel by ioctl.
std::vector<uint8_t> ReadReportDescriptor(const std::string& path, int fd) {
    std::vector<uint8_t> desc = HidrawReportDescriptor(path);
    if (!desc.empty()) return desc;
    int size = 0;
    if (::ioctl(fd, HIDIOCGRDESCSIZE, &size) < 0 || size <= 0 || size > HID_MAX_DESCRIPTOR_SIZE) return {};
    hidraw_report_descriptor rd{};
    rd.size = static_cast<__u32>(size);
    if (::ioctl(fd, HIDIOCGRDESC, &rd) < 0) return {};
    return std::vector<uint8_t>(rd.value, rd.value + size);
}

}  // namespace

CHidBase::CHidBase(LinkLog& log) : log_(log) {}

CHidBase::~CHidBase() {
    CloseDevice();
}

std::shared_ptr<CHidBase::Handles> CHidBase::Current() const {
    std::lock_guard lock(handlesLock_);
    return handles_;
}

int CHidBase::InputReportLength() const {
    const auto h = Current();
    return h ? h->lengths.input : 0;
}

int CHidBase::OutputReportLength() const {
    const auto h = Current();
    return h ? h->lengths.output : 0;
}

bool CHidBase::OpenDevice(const std::string& path) {
    if (Current()) {
        LINK_ERROR(log_, "CHidBase::OpenDevice", kHidBaseSource, "One device is already opened.");
        return false;
    }
    if (path.empty()) {
        LINK_ERROR(log_, "CHidBase::OpenDevice", kHidBaseSource, "Invalid parameter.");
        return false;
    }
    const int probe = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (probe < 0) return false;
    const std::vector<uint8_t> desc = ReadReportDescriptor(path, probe);
    ::close(probe);
    if (desc.empty()) {
        LINK_ERROR(log_, "CHidBase::OpenDevice", kHidBaseSource, "HidD_GetPreparsedData failed.");
        return false;
    }
    auto h = std::make_shared<Handles>();
    h->lengths = ParseReportDescriptor(desc.data(), desc.size());
    auto valid = [](int len) { return len >= 1 && len <= kBufferSize; };
    if (!valid(h->lengths.input) || !valid(h->lengths.output)) {
        LINK_ERROR(log_, "CHidBase::OpenDevice", kHidBaseSource, "invalide device report byte length.");
        return false;
    }
    h->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (h->wakeFd < 0) {
        LINK_ERROR(log_, "CHidBase::OpenDevice", kHidBaseSource, "CreateEvent failed.");
        return false;
    }
    // Non-blocking for a descriptor that pushes back when the box stops
    // reading. A hidraw node does not: it holds write() until the box takes
    // the report, which only the writer's own thread waits out.
    const int writeFd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (writeFd < 0) {
        LINK_ERROR(log_, "CHidBase::OpenDevice", kHidBaseSource, "CreateFile for write error.");
        return false;
    }
    h->writer = ReportWriter::Start(writeFd);
    if (!h->writer) {
        LINK_ERROR(log_, "CHidBase::OpenDevice", kHidBaseSource, "CreateEvent failed.");
        return false;
    }
    h->readFd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (h->readFd < 0) {
        LINK_ERROR(log_, "CHidBase::OpenDevice", kHidBaseSource, "CreateFile for write error.");
        return false;
    }
    path_ = path;
    std::lock_guard lock(handlesLock_);
    handles_ = std::move(h);
    return true;
}

bool CHidBase::Write(const uint8_t* data, int length, int timeoutMs) {
    const auto h = Current();
    const int outputLength = h ? h->lengths.output : 0;
    if (!data || length < 1 || length > outputLength - 1) {
        LINK_ERROR(log_, "CHidBase::Write", kHidBaseSource, "invalide parameter.");
        return false;
    }
    if (!h) {
        LINK_ERROR(log_, "CHidBase::Write", kHidBaseSource, "Please OpenDevice before Write.");
        return false;
    }
    writeBuffer_.fill(0);  // byte 0 stays the report identifier 0
    std::memcpy(writeBuffer_.data() + 1, data, static_cast<size_t>(length));
    const int error = h->writer->Write(writeBuffer_.data(), static_cast<size_t>(outputLength), timeoutMs);
    if (error != 0) {
        LINK_ERROR(log_, "CHidBase::Write", kHidBaseSource, "error code %ld", static_cast<long>(error));
        return false;
    }
    return true;
}

bool CHidBase::Read(const uint8_t** out) {
    const auto h = Current();
    if (!h) {
        LINK_ERROR(log_, "CHidBase::Read", kHidBaseSource, "Please OpenDevice before Read.");
        return false;
    }
    readBuffer_.fill(0);
    // Unnumbered reports arrive without their identifier byte; put the data
    // after a zero identifier so the frame always starts at the same place.
    uint8_t* into = h->lengths.numbered ? readBuffer_.data() : readBuffer_.data() + 1;
    const size_t want = static_cast<size_t>(h->lengths.numbered ? h->lengths.input : h->lengths.input - 1);
    if (!WaitAndReadReport(h->readFd, h->wakeFd, into, want)) return false;
    *out = readBuffer_.data() + 1;
    return true;
}

void CHidBase::WakeReader() {
    const auto h = Current();
    if (!h) return;
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(h->wakeFd, &one, sizeof one);
}

void CHidBase::CloseDevice() {
    std::shared_ptr<Handles> old;
    {
        std::lock_guard lock(handlesLock_);
        old = std::move(handles_);
    }
    if (!old) return;
    // A reader still blocked on these descriptors is released; it closes them
    // when it lets go of its reference.
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(old->wakeFd, &one, sizeof one);
}

}  // namespace caraudio
