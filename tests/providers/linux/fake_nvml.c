// A stand-in for the NVIDIA management library, built by the tests as libnvidia-ml.so.1.
// Values and failures come from the environment, read at every call:
//   TEMPYRA_FAKE_NVML_<KEY> = a decimal value, or "!N" to fail with return code N.
//   Keys: INIT, COUNT, TEMP, SLOWDOWN, SHUTDOWN, POWER (mW), LIMIT (mW), FANS, FAN (%),
//   REASONS (clock-event bits), NAME (text; "UNTERMINATED" fills the buffer without a NUL),
//   BUS (the bus addresses it knows, comma-separated; default 0000:01:00.0).
//   TEMPYRA_FAKE_NVML_LOG = a file that gets one line per call.
// It keeps NVML's reference count: a handle taken before the count last fell to zero is stale,
// and a call with it is logged as "STALE". Built three ways: complete; FAKE_NVML_OLD, an older
// library without the optional entry points (clock reasons under their former name); and
// FAKE_NVML_HALF, which also lacks the handle lookup and the temperature.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#define EXPORT __attribute__((visibility("default")))

typedef struct Device {
  unsigned generation;
} Device;

static int references = 0;
static unsigned generation = 1;
static Device devices[4] __attribute__((unused));
EXPORT unsigned long long tempyraFakeNvmlSpentNs = 0;  // time spent inside the stand-in

static unsigned long long nanoseconds(void) {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return (unsigned long long)ts.tv_sec * 1000000000ull + (unsigned long long)ts.tv_nsec;
}

static void logCall(const char* call, const char* argument) {
  const char* path = getenv("TEMPYRA_FAKE_NVML_LOG");
  if (!path || !*path) return;
  FILE* file = fopen(path, "a");
  if (!file) return;
  fprintf(file, "%s%s%s\n", call, argument ? " " : "", argument ? argument : "");
  fclose(file);
}

// 0 with *value set, or the scripted error code.
static int scripted(const char* key, unsigned long long fallback, unsigned long long* value) {
  char name[64];
  snprintf(name, sizeof name, "TEMPYRA_FAKE_NVML_%s", key);
  const char* text = getenv(name);
  if (!text || !*text) {
    *value = fallback;
    return 0;
  }
  if (text[0] == '!') return atoi(text + 1);
  *value = strtoull(text, NULL, 10);
  return 0;
}

static int live(Device* device, const char* call) {
  if (references == 0) {
    logCall(call, "UNINITIALISED");
    return 1;
  }
  if (!device || device->generation != generation) {
    logCall(call, "STALE");
    return 1;
  }
  logCall(call, NULL);
  return 0;
}

#define ENTER unsigned long long entered = nanoseconds()
#define LEAVE(rc) \
  do { \
    tempyraFakeNvmlSpentNs += nanoseconds() - entered; \
    return (rc); \
  } while (0)

static int readUnsigned(Device* device, const char* call, const char* key, unsigned long long fallback,
                        unsigned* out) {
  ENTER;
  int rc = live(device, call);
  unsigned long long value = 0;
  if (rc == 0) rc = scripted(key, fallback, &value);
  if (rc == 0) *out = (unsigned)value;
  LEAVE(rc);
}

EXPORT int nvmlInit_v2(void) {
  ENTER;
  unsigned long long ignored;
  const int rc = scripted("INIT", 0, &ignored);
  logCall("nvmlInit_v2", rc ? "FAILED" : NULL);
  if (rc == 0) ++references;
  LEAVE(rc);
}

EXPORT int nvmlShutdown(void) {
  ENTER;
  logCall("nvmlShutdown", NULL);
  if (references == 0) LEAVE(1);
  if (--references == 0) ++generation;
  LEAVE(0);
}

#if !defined(FAKE_NVML_HALF)
EXPORT int nvmlDeviceGetHandleByPciBusId_v2(const char* bus, Device** device) {
  ENTER;
  logCall("nvmlDeviceGetHandleByPciBusId_v2", bus);
  if (references == 0) LEAVE(1);
  const char* known = getenv("TEMPYRA_FAKE_NVML_BUS");
  if (!known || !*known) known = "0000:01:00.0";
  const size_t length = strlen(bus);
  int index = 0;
  for (const char* at = known; *at; ++index) {
    const char* end = strchr(at, ',');
    const size_t size = end ? (size_t)(end - at) : strlen(at);
    if (size == length && strncmp(at, bus, length) == 0 && index < 4) {
      unsigned long long ignored;
      const int rc = scripted("HANDLE", 0, &ignored);
      if (rc) LEAVE(rc);
      devices[index].generation = generation;
      *device = &devices[index];
      LEAVE(0);
    }
    at = end ? end + 1 : at + size;
  }
  LEAVE(6);  // not found
}

EXPORT int nvmlDeviceGetTemperature(Device* device, unsigned sensor, unsigned* celsius) {
  if (sensor != 0) return 2;
  return readUnsigned(device, "nvmlDeviceGetTemperature", "TEMP", 52, celsius);
}
#endif

#if !defined(FAKE_NVML_OLD) && !defined(FAKE_NVML_HALF)
EXPORT int nvmlDeviceGetCount_v2(unsigned* count) {
  ENTER;
  logCall("nvmlDeviceGetCount_v2", NULL);
  if (references == 0) LEAVE(1);
  unsigned long long value = 0;
  const int rc = scripted("COUNT", 1, &value);
  if (rc == 0) *count = (unsigned)value;
  LEAVE(rc);
}

EXPORT int nvmlDeviceGetName(Device* device, char* name, unsigned length) {
  ENTER;
  int rc = live(device, "nvmlDeviceGetName");
  if (rc) LEAVE(rc);
  const char* text = getenv("TEMPYRA_FAKE_NVML_NAME");
  if (!text) text = "NVIDIA GeForce RTX 3060 Laptop GPU";
  if (strcmp(text, "UNTERMINATED") == 0) {
    memset(name, 'X', length);
    LEAVE(0);
  }
  if (strlen(text) >= length) LEAVE(7);
  strcpy(name, text);
  LEAVE(0);
}

EXPORT int nvmlDeviceGetTemperatureThreshold(Device* device, unsigned kind, unsigned* celsius) {
  return readUnsigned(device, "nvmlDeviceGetTemperatureThreshold", kind == 0 ? "SHUTDOWN" : kind == 1 ? "SLOWDOWN" : "X",
                      kind == 0 ? 92 : kind == 1 ? 87 : 0, celsius);
}

EXPORT int nvmlDeviceGetPowerUsage(Device* device, unsigned* milliwatts) {
  return readUnsigned(device, "nvmlDeviceGetPowerUsage", "POWER", 11000, milliwatts);
}

EXPORT int nvmlDeviceGetEnforcedPowerLimit(Device* device, unsigned* milliwatts) {
  return readUnsigned(device, "nvmlDeviceGetEnforcedPowerLimit", "LIMIT", 80000, milliwatts);
}

EXPORT int nvmlDeviceGetNumFans(Device* device, unsigned* fans) {
  return readUnsigned(device, "nvmlDeviceGetNumFans", "FANS", 1, fans);
}

EXPORT int nvmlDeviceGetFanSpeed_v2(Device* device, unsigned fan, unsigned* percent) {
  (void)fan;
  return readUnsigned(device, "nvmlDeviceGetFanSpeed_v2", "FAN", 34, percent);
}

EXPORT int nvmlDeviceGetCurrentClocksEventReasons(Device* device, unsigned long long* mask) {
  unsigned value = 0;
  const int rc = readUnsigned(device, "nvmlDeviceGetCurrentClocksEventReasons", "REASONS", 0, &value);
  if (rc == 0) *mask = value;
  return rc;
}
#else
EXPORT int nvmlDeviceGetCurrentClocksThrottleReasons(Device* device, unsigned long long* mask) {
  unsigned value = 0;
  const int rc = readUnsigned(device, "nvmlDeviceGetCurrentClocksThrottleReasons", "REASONS", 0, &value);
  if (rc == 0) *mask = value;
  return rc;
}
#endif
