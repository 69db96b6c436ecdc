// The simulated frontend placed under libdvbv5: a library preloaded into
// the process (azimora-dvb --simulate, or dvbv5-daemon for a remote test)
// that stands in for the kernel. It lists one DVB frontend, adapter 0
// frontend 0, to udev's enumeration, and answers open, ioctl and close on
// its device file from the file named by AZIMORA_DVB_SIMULATE, read again
// at every open. Every other file goes to the real calls.
// AZIMORA_DVB_SIMULATE_TRACE names a file that gets one line per request
// reaching the simulated hardware.
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <unistd.h>

#include "dvb/helper/regular_file.h"
#include "dvb/simulated/kernel_frontend.h"

extern "C" {
int ioctl(int fd, unsigned long request, ...);
int close(int fd);
int __open_2(const char* path, int flags);
int __open64_2(const char* path, int flags);
}

static const char devicePath[] = "/dev/dvb/adapter0/frontend0";

static std::mutex deviceLock;
static SimulatedFrontend* openFrontend = nullptr;
static int openFd = -1;
static size_t tracedLines = 0;

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

static bool readSimulation(Simulation* simulation)
{
    const char* path = getenv("AZIMORA_DVB_SIMULATE");
    if (!path) return false;
    std::string text, error;
    return readRegularFile(path, 65536, &text, &error) && parseSimulation(text, simulation, &error);
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
    openFrontend = new SimulatedFrontend(newSimulatedFrontend(simulation));
    openFd = fd;
    tracedLines = 0;
    return fd;
}

static bool isDevice(const char* path) { return path && std::strcmp(path, devicePath) == 0; }

extern "C" int open(const char* path, int flags, ...)
{
    if (isDevice(path)) return openDevice(flags);
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
    if (isDevice(path)) return openDevice(flags);
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
    if (isDevice(path)) return openDevice(flags);
    typedef int (*OpenCall)(const char*, int);
    static OpenCall real = realCall<OpenCall>("__open_2");
    return real(path, flags);
}

extern "C" int __open64_2(const char* path, int flags)
{
    if (isDevice(path)) return openDevice(flags);
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
        if (openFrontend && fd == openFd) delayMs = simulatedDelayMs(*openFrontend, request);
    }
    if (delayMs > 0) usleep(delayMs * 1000);
    {
        std::lock_guard<std::mutex> hold(deviceLock);
        if (openFrontend && fd == openFd) {
            const int result = simulatedFrontendIoctl(*openFrontend, request, argument, monotonicMs());
            writeTrace();
            if (result == 0) return 0;
            errno = -result;
            return -1;
        }
    }
    typedef int (*IoctlCall)(int, unsigned long, void*);
    static IoctlCall real = realCall<IoctlCall>("ioctl");
    return real(fd, request, argument);
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
static udev_list_entry frontendEntry{"/sys/devices/platform/azimora-simulated/dvb/dvb0.frontend0"};
static udev_device platformDevice{"/sys/devices/platform/azimora-simulated", "azimora-simulated", nullptr, "platform",
                                  nullptr};
static udev_device frontendDevice{"/sys/devices/platform/azimora-simulated/dvb/dvb0.frontend0", "dvb0.frontend0",
                                  devicePath, "dvb", &platformDevice};

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
    return enumerate && enumerate->scanned ? &frontendEntry : nullptr;
}
udev_enumerate* udev_enumerate_unref(udev_enumerate* enumerate)
{
    delete enumerate;
    return nullptr;
}
udev_list_entry* udev_list_entry_get_next(udev_list_entry*) { return nullptr; }
const char* udev_list_entry_get_name(udev_list_entry* entry) { return entry ? entry->name : nullptr; }
udev_device* udev_device_new_from_syspath(udev*, const char* syspath)
{
    if (syspath && std::strcmp(syspath, frontendDevice.syspath) == 0) return &frontendDevice;
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
    if (device != &frontendDevice || !key) return nullptr;
    if (std::strcmp(key, "DVB_DEVICE_TYPE") == 0) return "frontend";
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
