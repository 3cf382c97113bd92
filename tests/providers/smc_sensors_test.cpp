#include "providers/smc_sensors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "fake_controller.h"

namespace tempyra {
namespace {

using testing::FakeController;
using testing::controllerWith;
using testing::flt;
using testing::fpe2;
using testing::sp78;
using testing::ui32;
using testing::ui8;

struct Shown {
  std::string name;
  std::optional<double> value;
  std::string quality;
};

TEST(SMCSensorsDecode, TypesAndShortData) {
  const auto fltLe = flt(12.5f).bytes;
  const auto nanLe = flt(std::numeric_limits<float>::quiet_NaN()).bytes;
  const auto infLe = flt(std::numeric_limits<float>::infinity()).bytes;
  struct Case {
    std::vector<std::uint8_t> bytes;
    std::string type;
    std::optional<double> expected;
  } cases[] = {
      {{0x2F, 0x80}, "sp78", 47.5},
      {{0xFF, 0x00}, "sp78", -1.0},
      {{0x01, 0x90}, "fpe2", 100.0},
      {{0xFF, 0xFF}, "fpe2", 16383.75},
      {{0x07}, "ui8 ", 7.0},
      {{0x00, 0x00, 0x01, 0x02}, "ui32", 258.0},
      {fltLe, "flt ", 12.5},
      {nanLe, "flt ", std::nullopt},
      {infLe, "flt ", std::nullopt},
      {{0x2F}, "sp78", std::nullopt},
      {{0x00, 0x00, 0x01}, "ui32", std::nullopt},
      {{}, "ui8 ", std::nullopt},
      {{0x2F, 0x80}, "sp78 ", std::nullopt},
      {{0x07}, "ui8", std::nullopt},
      {{0x2F, 0x80}, "si16", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SMCSensors::decode(c.bytes, c.type), c.expected) << c.type;
  }
}

TEST(SMCSensorsCodes, PackFirstCharacterHighAndRejectNonAscii) {
  EXPECT_EQ(SMCSensors::code("#KEY"), 0x234B4559u);
  EXPECT_EQ(SMCSensors::name(0x73703738u), "sp78");
  EXPECT_EQ(SMCSensors::name(0x54C30000u), "");
  EXPECT_EQ(SMCSensors::code("ABCDE"), 0x42434445u);  // the first byte leaves the top
}

TEST(SMCSensors, FourFixedKeysGiveGroupsThenSensorsThenFans) {
  auto state = controllerWith({{"TC0P", sp78(45)}, {"TC0D", sp78(47)}, {"TG0P", sp78(40)},
                               {"TB0T", sp78(30)}, {"FNum", ui8(1)}, {"F0Ac", fpe2(1800)}});
  SMCSensors reader(std::make_unique<FakeController>(&state));
  const std::string status = "AppleSMC · read-only · undocumented sensor mapping";
  EXPECT_EQ(reader.status(), status);
  const auto metrics = reader.sample(1000);
  const std::vector<std::pair<std::string, double>> expected = {
      {"Battery temperature", 30}, {"GPU temperature", 40}, {"CPU temperature", 46},
      {"Sensor TC0P", 45},         {"Sensor TC0D", 47},     {"Sensor TG0P", 40},
      {"Sensor TB0T", 30},         {"Fan 1", 1800}};
  ASSERT_EQ(metrics.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(metrics[i].name, expected[i].first);
    EXPECT_EQ(metrics[i].value, expected[i].second) << metrics[i].name;
    EXPECT_EQ(metrics[i].timestamp, 1000);
  }
  EXPECT_EQ(metrics[1].source, status + " · mean of recognised Tg/TG keys");
  EXPECT_EQ(metrics[2].quality, "Derived · undocumented group mapping");
  EXPECT_EQ(metrics[3].source, "AppleSMC / TC0P · controller-reported; mapping undocumented");
  EXPECT_EQ(metrics[3].unit, "°C");
  EXPECT_EQ(metrics[7].source, "AppleSMC / F0Ac · actual speed");
  EXPECT_EQ(metrics[7].quality, "Measured");
}

TEST(SMCSensors, DiscoveryKeepsOnlyRecognisedKeys) {
  auto state = controllerWith({{"Tp01", sp78(50)}, {"TA0P", sp78(25)}, {"Te05", sp78(52)},
                               {"Tg0f", sp78(41)}, {"TC1C", sp78(60)}, {"TB0T", sp78(31)}});
  SMCSensors reader(std::make_unique<FakeController>(&state));
  EXPECT_EQ(reader.temperatureKeys(), (std::vector<std::string>{"Tp01", "Te05", "Tg0f", "TB0T"}));
}

TEST(SMCSensors, PlausibilityAndUnknownTypes) {
  auto state = controllerWith({{"Tp00", sp78(0)}, {"Tp01", flt(150)}, {"Tp02", flt(149.9f)},
                               {"Tp03", {"si16", {0x20, 0x00}}}, {"Tp04", sp78(-5)},
                               {"Tp05", sp78(60)}});
  state.failing = {"Tp05"};
  SMCSensors reader(std::make_unique<FakeController>(&state));
  const auto metrics = reader.sample(1);
  std::vector<std::string> names;
  for (const auto& m : metrics) names.push_back(m.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Battery temperature", "GPU temperature",
                                              "CPU temperature", "Sensor Tp02", "Fan speed"}));
  EXPECT_NEAR(*metrics[3].value, 149.9, 0.01);
  EXPECT_FALSE(metrics[0].value);
  EXPECT_EQ(metrics[0].quality, "Not available");
}

TEST(SMCSensors, FanCountsAndSpeeds) {
  const std::string status = "AppleSMC · read-only · undocumented sensor mapping";
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, testing::FakeKey>> fans;
    std::vector<Shown> expected;
    std::string lastSource;
  } cases[] = {
      {"second fan unreadable",
       {{"FNum", ui8(2)}, {"F0Ac", fpe2(1200)}},
       {{"Fan 1", 1200, "Measured"}, {"Fan 2", std::nullopt, "Not available"}},
       "AppleSMC / F1Ac · actual speed"},
      {"no fans", {{"FNum", ui8(0)}}, {{"Fan speed", std::nullopt, "Not available"}},
       "AppleSMC reports no fans"},
      {"nine fans is garbage", {{"FNum", ui8(9)}}, {{"Fan speed", std::nullopt, "Not available"}},
       status},
      {"FNum missing", {}, {{"Fan speed", std::nullopt, "Not available"}}, status},
      {"speed limits",
       {{"FNum", ui8(2)}, {"F0Ac", flt(20000)}, {"F1Ac", fpe2(16000)}},
       {{"Fan 1", 20000, "Measured"}, {"Fan 2", 16000, "Measured"}},
       "AppleSMC / F1Ac · actual speed"},
      {"over the limit", {{"FNum", ui8(1)}, {"F0Ac", ui32(20001)}},
       {{"Fan 1", std::nullopt, "Not available"}}, "AppleSMC / F0Ac · actual speed"},
  };
  for (auto& c : cases) {
    auto keys = c.fans;
    keys.insert(keys.begin(), {"TC0P", sp78(40)});
    auto state = controllerWith(keys);
    SMCSensors reader(std::make_unique<FakeController>(&state));
    const auto metrics = reader.sample(5);
    const std::vector<Metric> fans(metrics.begin() + 4, metrics.end());
    ASSERT_EQ(fans.size(), c.expected.size()) << c.what;
    for (std::size_t i = 0; i < fans.size(); ++i) {
      EXPECT_EQ(fans[i].name, c.expected[i].name) << c.what;
      EXPECT_EQ(fans[i].value, c.expected[i].value) << c.what;
      EXPECT_EQ(fans[i].quality, c.expected[i].quality) << c.what;
      EXPECT_EQ(fans[i].unit, "RPM");
    }
    EXPECT_EQ(fans.back().source, c.lastSource) << c.what;
  }
}

TEST(SMCSensors, KeyCountOutOfRangeKeepsNothing) {
  for (const std::uint32_t count : {0u, 16384u, 70000u}) {
    auto state = controllerWith({{"TC0P", sp78(40)}});
    state.keys[0].second = ui32(count);
    SMCSensors reader(std::make_unique<FakeController>(&state));
    EXPECT_EQ(reader.status(), "Controller accessible; no recognised temperature keys") << count;
    EXPECT_TRUE(reader.temperatureKeys().empty());
  }
}

TEST(SMCSensors, UnavailableControllerReportsEverythingAbsent) {
  auto state = controllerWith({{"TC0P", sp78(40)}, {"FNum", ui8(1)}, {"F0Ac", fpe2(1000)}});
  state.openable = false;
  {
    SMCSensors reader(std::make_unique<FakeController>(&state));
    const auto metrics = reader.sample(7);
    ASSERT_EQ(metrics.size(), 4u);
    for (const auto& m : metrics) EXPECT_FALSE(m.value) << m.name;
    EXPECT_EQ(metrics[3].name, "Fan speed");
    EXPECT_EQ(metrics[3].source, "Controller unavailable or access restricted");
    EXPECT_EQ(metrics[2].source,
              "Controller unavailable or access restricted · mean of recognised Tp/Te/TC keys");
  }
  EXPECT_EQ(state.calls, 0);
  EXPECT_FALSE(state.closed);  // never opened, so never closed
}

TEST(SMCSensors, ClosesTheConnectionItOpened) {
  auto state = controllerWith({});
  { SMCSensors reader(std::make_unique<FakeController>(&state)); }
  EXPECT_TRUE(state.closed);
}

// A controller whose replies are wrong in every way the record allows.
class GarbageController : public testing::FakeController {
 public:
  using FakeController::FakeController;
  int mode = 0;
  int call(const SMCMessage& in, SMCMessage& out, std::size_t& outSize) override {
    const int rc = FakeController::call(in, out, outSize);
    switch (mode) {
      case 1: outSize = 79; break;                 // short reply
      case 2: out.dataSize = 33; break;            // larger than the payload
      case 3: out.dataSize = 0; break;
      case 4: return -536870206;                   // the call itself failed
      case 5: out.result = 1; break;
    }
    return rc;
  }
};

TEST(SMCSensors, GarbageRepliesNeverBecomeValues) {
  for (int mode = 1; mode <= 5; ++mode) {
    auto state = controllerWith({{"TC0P", sp78(40)}, {"FNum", ui8(1)}, {"F0Ac", fpe2(900)}});
    auto exchange = std::make_unique<GarbageController>(&state);
    exchange->mode = mode;
    SMCSensors reader(std::move(exchange));
    EXPECT_EQ(reader.status(), "Controller accessible; no recognised temperature keys") << mode;
    for (const auto& m : reader.sample(1)) EXPECT_FALSE(m.value) << mode << " " << m.name;
  }
}

}  // namespace
}  // namespace tempyra
