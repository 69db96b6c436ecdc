// The simulated frontend placed under libdvbv5: a library preloaded into
// the process (azimora-dvb --simulate, or dvbv5-daemon for a remote test)
// that stands in for the kernel. It lists one DVB frontend and its demux,
// adapter 0 frontend 0 and demux 0, to udev's enumeration, and answers
// open, ioctl, read and close on their device files from the file named by
// AZIMORA_DVB_SIMULATE, read again at every open. The frontend opens once
// at a time, the demux any number of times (one filter each), and the demux
// gives sections only while the frontend is locked. Every other file goes
// to the real calls.
// AZIMORA_DVB_SIMULATE_TRACE names a file that gets one line per request
// reaching the simulated hardware. A simulation with a motor line has a
// sky (sky_frontend.h) of the catalogue Azimora ships, kept from open to
// open while the file's sky stays the same: the motor stays where it turned. A simulated cx24116 also has its module
// parameter, /sys/module/cx24116/parameters/esno_snr.
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "dvb/common/regular_file.h"
#include "dvb/simulated/kernel_demux.h"
#include "dvb/simulated/kernel_frontend.h"
#include "dvb/simulated/sky_frontend.h"

extern "C" {
int ioctl(int fd, unsigned long request, ...);
int close(int fd);
ssize_t read(int fd, void* buffer, size_t size);
ssize_t __read_chk(int fd, void* buffer, size_t size, size_t bufferSize);
int __open_2(const char* path, int flags);
int __open64_2(const char* path, int flags);
}

static const char devicePath[] = "/dev/dvb/adapter0/frontend0";
static const char demuxPath[] = "/dev/dvb/adapter0/demux0";

static std::mutex deviceLock;
static SimulatedFrontend* openFrontend = nullptr;
static std::shared_ptr<SkyFrontend> keptSky;
static int openFd = -1;
static size_t tracedLines = 0;
// The demux's opens by descriptor; a count read without the lock, so that
// every other read of the process goes straight to the real call.
static std::map<int, SimulatedDemux*> openDemuxes;
static std::atomic<int> openDemuxCount{0};
// A reader that waits is given a section within this, else ETIMEDOUT.
static constexpr uint32_t demuxReadWaitMs = 1000;

template <typename Function>
static Function realCall(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

static uint64_t monotonicMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
}

// The catalogue Azimora ships (resources/satellite.ini), built in: the sky's satellites.
extern const unsigned char builtInCatalogue[];
extern const size_t builtInCatalogueSize;

static bool readSimulation(Simulation* simulation)
{
    const char* path = getenv("AZIMORA_DVB_SIMULATE");
    if (!path) return false;
    std::string text, error;
    return readRegularFile(path, simulationFileLimit, &text, &error) && parseSimulation(text, simulation, &error);
}

// Appends the trace lines that are new since the last call.
static void writeTrace()
{
    const char* path = getenv("AZIMORA_DVB_SIMULATE_TRACE");
    if (!path || !openFrontend) return;
    if (tracedLines >= openFrontend->trace.size()) return;
    FILE* file = fopen(path, "a");
    if (!file) return;
    for (; tracedLines < openFrontend->trace.size(); ++tracedLines)
        fprintf(file, "%s\n", openFrontend->trace[tracedLines].c_str());
    fclose(file);
}

// -1 with errno set, or the descriptor of the simulated device.
static int openDevice(int flags)
{
    // Read before taking the lock: reading closes its file through close() below.
    Simulation simulation;
    if (!readSimulation(&simulation)) {
        errno = EIO;
        return -1;
    }
    std::lock_guard<std::mutex> hold(deviceLock);
    // One writer at a time, as the kernel allows.
    if (simulation.failOpen || openFrontend) {
        errno = EBUSY;
        return -1;
    }
    typedef int (*OpenCall)(const char*, int, ...);
    const int fd = realCall<OpenCall>("open")("/dev/null", (flags & O_ACCMODE) | O_CLOEXEC);
    if (fd < 0) return -1;
    openFrontend = new SimulatedFrontend(newSimulatedFrontend(simulation, monotonicMs()));
    if (simulation.sky.present) {
        if (!keptSky || !sameSky(*keptSky, simulation.sky))
            keptSky = newSkyFrontend(simulation.sky,
                                     std::string(reinterpret_cast<const char*>(builtInCatalogue), builtInCatalogueSize),
                                     monotonicMs());
        openFrontend->sky = keptSky;
    }
    openFd = fd;
    tracedLines = 0;
    return fd;
}

// -1 with errno set, or the descriptor of one open of the simulated demux.
static int openDemux(int flags)
{
    Simulation simulation;
    if (!readSimulation(&simulation)) {
        errno = EIO;
        return -1;
    }
    typedef int (*OpenCall)(const char*, int, ...);
    const int fd = realCall<OpenCall>("open")("/dev/null", (flags & (O_ACCMODE | O_NONBLOCK)) | O_CLOEXEC);
    if (fd < 0) return -1;
    std::lock_guard<std::mutex> hold(deviceLock);
    openDemuxes[fd] = new SimulatedDemux(newSimulatedDemux(simulation));
    ++openDemuxCount;
    return fd;
}

static const char esnoParameterPath[] = "/sys/module/cx24116/parameters/esno_snr";

// The module parameter of a simulated cx24116 as sysfs gives it; no such
// file for another driver.
static int openParameter()
{
    Simulation simulation;
    const bool cx24116 = readSimulation(&simulation) && simulation.statistics == StatisticsOfDriver &&
                         (simulation.driver == DriverCx24116 || simulation.driver == DriverCx24116Esno);
    if (!cx24116) {
        errno = ENOENT;
        return -1;
    }
    const int fd = memfd_create("esno_snr", MFD_CLOEXEC);
    if (fd < 0) return -1;
    const char* text = simulation.driver == DriverCx24116Esno ? "1\n" : "0\n";
    typedef ssize_t (*WriteCall)(int, const void*, size_t);
    if (realCall<WriteCall>("write")(fd, text, 2) != 2 || lseek(fd, 0, SEEK_SET) != 0) {
        close(fd);
        errno = EIO;
        return -1;
    }
    return fd;
}

static bool isDemux(const char* path) { return path && std::strcmp(path, demuxPath) == 0; }

static bool isDevice(const char* path) { return path && std::strcmp(path, devicePath) == 0; }

static bool isParameter(const char* path) { return path && std::strcmp(path, esnoParameterPath) == 0; }

static int openSimulated(const char* path, int flags)
{
    if (isParameter(path)) return openParameter();
    return isDemux(path) ? openDemux(flags) : openDevice(flags);
}

static bool isSimulated(const char* path) { return isDevice(path) || isDemux(path) || isParameter(path); }

extern "C" int open(const char* path, int flags, ...)
{
    if (isSimulated(path)) return openSimulated(path, flags);
    va_list arguments;
    va_start(arguments, flags);
    const int mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(arguments, int) : 0;
    va_end(arguments);
    typedef int (*OpenCall)(const char*, int, ...);
    static OpenCall real = realCall<OpenCall>("open");
    return real(path, flags, mode);
}

extern "C" int open64(const char* path, int flags, ...)
{
    if (isSimulated(path)) return openSimulated(path, flags);
    va_list arguments;
    va_start(arguments, flags);
    const int mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(arguments, int) : 0;
    va_end(arguments);
    typedef int (*OpenCall)(const char*, int, ...);
    static OpenCall real = realCall<OpenCall>("open64");
    return real(path, flags, mode);
}

extern "C" int __open_2(const char* path, int flags)
{
    if (isSimulated(path)) return openSimulated(path, flags);
    typedef int (*OpenCall)(const char*, int);
    static OpenCall real = realCall<OpenCall>("__open_2");
    return real(path, flags);
}

extern "C" int __open64_2(const char* path, int flags)
{
    if (isSimulated(path)) return openSimulated(path, flags);
    typedef int (*OpenCall)(const char*, int);
    static OpenCall real = realCall<OpenCall>("__open64_2");
    return real(path, flags);
}

extern "C" int ioctl(int fd, unsigned long request, ...)
{
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    // A slow driver keeps the caller waiting, as the kernel's frontend thread does.
    uint32_t delayMs = 0;
    {
        std::lock_guard<std::mutex> hold(deviceLock);
        if (openFrontend && fd == openFd) delayMs = simulatedDelayMs(*openFrontend, request, monotonicMs());
    }
    if (delayMs > 0) usleep(delayMs * 1000);
    {
        std::lock_guard<std::mutex> hold(deviceLock);
        int result = 1;
        if (openFrontend && fd == openFd) {
            result = simulatedFrontendIoctl(*openFrontend, request, argument, monotonicMs());
            writeTrace();
        } else if (openDemuxes.count(fd)) {
            result = simulatedDemuxIoctl(*openDemuxes[fd], request, argument, monotonicMs());
        }
        if (result == 0) return 0;
        if (result < 0) {
            errno = -result;
            return -1;
        }
    }
    typedef int (*IoctlCall)(int, unsigned long, void*);
    static IoctlCall real = realCall<IoctlCall>("ioctl");
    return real(fd, request, argument);
}

// One section from an open of the demux, or 1 when `fd` is not one.
static ssize_t readDemux(int fd, void* buffer, size_t size, uint32_t* dueInMs, bool* waits)
{
    std::lock_guard<std::mutex> hold(deviceLock);
    const auto found = openDemuxes.find(fd);
    if (found == openDemuxes.end()) return 1;
    typedef int (*FcntlCall)(int, int, ...);
    static FcntlCall realFcntl = realCall<FcntlCall>("fcntl");
    *waits = !(realFcntl(fd, F_GETFL) & O_NONBLOCK);
    const uint64_t now = monotonicMs();
    const bool locked = openFrontend && simulatedFrontendLocked(*openFrontend, now);
    if (openFrontend && openFrontend->sky) followSky(*found->second, *openFrontend->sky);
    else if (openFrontend)
        followCarrier(*found->second, openFrontend->simulation, simulatedLockedCarrier(*openFrontend, now));
    return simulatedDemuxRead(*found->second, locked, static_cast<uint8_t*>(buffer), size, now, dueInMs);
}

// A read of the demux: a section, EAGAIN when none is due, or for a reader
// that waits, the next within demuxReadWaitMs.
static ssize_t demuxRead(int fd, void* buffer, size_t size, bool* handled)
{
    *handled = false;
    if (openDemuxCount.load() == 0) return 0;
    uint32_t waited = 0;
    for (;;) {
        uint32_t dueInMs = 0;
        bool waits = false;
        const ssize_t result = readDemux(fd, buffer, size, &dueInMs, &waits);
        if (result == 1) return 0;
        *handled = true;
        if (result >= 0) return result;
        if (result != -EAGAIN || !waits || waited >= demuxReadWaitMs) {
            errno = result == -EAGAIN && waits ? ETIMEDOUT : static_cast<int>(-result);
            return -1;
        }
        const uint32_t pause = dueInMs < 10 ? 10 : dueInMs;
        usleep(pause * 1000);
        waited += pause;
    }
}

extern "C" ssize_t read(int fd, void* buffer, size_t size)
{
    bool handled = false;
    const ssize_t result = demuxRead(fd, buffer, size, &handled);
    if (handled) return result;
    typedef ssize_t (*ReadCall)(int, void*, size_t);
    static ReadCall real = realCall<ReadCall>("read");
    return real(fd, buffer, size);
}

extern "C" ssize_t __read_chk(int fd, void* buffer, size_t size, size_t bufferSize)
{
    bool handled = false;
    const ssize_t result = demuxRead(fd, buffer, size < bufferSize ? size : bufferSize, &handled);
    if (handled) return result;
    typedef ssize_t (*ReadCall)(int, void*, size_t, size_t);
    static ReadCall real = realCall<ReadCall>("__read_chk");
    return real(fd, buffer, size, bufferSize);
}

extern "C" int close(int fd)
{
    {
        std::lock_guard<std::mutex> hold(deviceLock);
        if (openFrontend && fd == openFd) {
            delete openFrontend;
            openFrontend = nullptr;
            openFd = -1;
        }
        const auto demux = openDemuxes.find(fd);
        if (demux != openDemuxes.end()) {
            delete demux->second;
            openDemuxes.erase(demux);
            --openDemuxCount;
        }
    }
    typedef int (*CloseCall)(int);
    static CloseCall real = realCall<CloseCall>("close");
    return real(fd);
}

// udev's view of the machine: one DVB frontend on a platform bus.
struct udev {
    int unused;
};
struct udev_enumerate {
    bool scanned;
};
struct udev_list_entry {
    const char* name;
};
struct udev_device {
    const char* syspath;
    const char* sysname;
    const char* devnode;
    const char* subsystem;
    udev_device* parent;
};
struct udev_monitor;

static udev theUdev{0};
static udev_list_entry deviceEntries[] = {{"/sys/devices/platform/azimora-simulated/dvb/dvb0.frontend0"},
                                          {"/sys/devices/platform/azimora-simulated/dvb/dvb0.demux0"}};
static udev_device platformDevice{"/sys/devices/platform/azimora-simulated", "azimora-simulated", nullptr, "platform",
                                  nullptr};
static udev_device frontendDevice{"/sys/devices/platform/azimora-simulated/dvb/dvb0.frontend0", "dvb0.frontend0",
                                  devicePath, "dvb", &platformDevice};
static udev_device demuxDevice{"/sys/devices/platform/azimora-simulated/dvb/dvb0.demux0", "dvb0.demux0", demuxPath,
                               "dvb", &platformDevice};

extern "C" {
udev* udev_new() { return &theUdev; }
udev* udev_unref(udev*) { return nullptr; }
udev_enumerate* udev_enumerate_new(udev*) { return new udev_enumerate{false}; }
int udev_enumerate_add_match_subsystem(udev_enumerate*, const char*) { return 0; }
int udev_enumerate_scan_devices(udev_enumerate* enumerate)
{
    enumerate->scanned = true;
    return 0;
}
udev_list_entry* udev_enumerate_get_list_entry(udev_enumerate* enumerate)
{
    return enumerate && enumerate->scanned ? &deviceEntries[0] : nullptr;
}
udev_enumerate* udev_enumerate_unref(udev_enumerate* enumerate)
{
    delete enumerate;
    return nullptr;
}
udev_list_entry* udev_list_entry_get_next(udev_list_entry* entry)
{
    return entry == &deviceEntries[0] ? &deviceEntries[1] : nullptr;
}
const char* udev_list_entry_get_name(udev_list_entry* entry) { return entry ? entry->name : nullptr; }
udev_device* udev_device_new_from_syspath(udev*, const char* syspath)
{
    if (syspath && std::strcmp(syspath, frontendDevice.syspath) == 0) return &frontendDevice;
    if (syspath && std::strcmp(syspath, demuxDevice.syspath) == 0) return &demuxDevice;
    if (syspath && std::strcmp(syspath, platformDevice.syspath) == 0) return &platformDevice;
    return nullptr;
}
udev_device* udev_device_unref(udev_device*) { return nullptr; }
const char* udev_device_get_devnode(udev_device* device) { return device ? device->devnode : nullptr; }
const char* udev_device_get_sysname(udev_device* device) { return device ? device->sysname : nullptr; }
const char* udev_device_get_subsystem(udev_device* device) { return device ? device->subsystem : nullptr; }
udev_device* udev_device_get_parent(udev_device* device) { return device ? device->parent : nullptr; }
const char* udev_device_get_property_value(udev_device* device, const char* key)
{
    if ((device != &frontendDevice && device != &demuxDevice) || !key) return nullptr;
    if (std::strcmp(key, "DVB_DEVICE_TYPE") == 0) return device == &demuxDevice ? "demux" : "frontend";
    if (std::strcmp(key, "DVB_ADAPTER_NUM") == 0) return "0";
    if (std::strcmp(key, "DVB_DEVICE_NUM") == 0) return "0";
    return nullptr;
}
const char* udev_device_get_sysattr_value(udev_device*, const char*) { return nullptr; }
const char* udev_device_get_action(udev_device*) { return nullptr; }
// No devices come and go.
udev_monitor* udev_monitor_new_from_netlink(udev*, const char*) { return nullptr; }
int udev_monitor_filter_add_match_subsystem_devtype(udev_monitor*, const char*, const char*) { return -1; }
int udev_monitor_enable_receiving(udev_monitor*) { return -1; }
int udev_monitor_get_fd(udev_monitor*) { return -1; }
udev_device* udev_monitor_receive_device(udev_monitor*) { return nullptr; }
}

// azimora-dvb looks for this to know that the simulated frontend is in place.
extern "C" void azimoraSimulatedKernel() {}
