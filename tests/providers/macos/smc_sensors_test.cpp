#include "providers/macos/smc_sensors.h"

#include <gtest/gtest.h>

#include <limits>

#include "tests/providers/macos/fake_controller.h"

namespace tempyra {
namespace {

using namespace testing;
const std::string kStatus = "AppleSMC · read-only · undocumented sensor mapping";

std::vector<Metric> sampleOf(FakeController::State& state) {
  return SMCSensors(std::make_unique<FakeController>(&state)).sample(5);
}

TEST(SMCSensors, DecodesTheFiveTypesOnly) {
  struct Case {
    FakeKey key;
    std::optional<double> expected;
  } cases[] = {
      {{"sp78", {0x2F, 0x80}}, 47.5},  {{"sp78", {0xFF, 0x00}}, -1.0},
      {{"fpe2", {0x01, 0x90}}, 100.0}, {ui8(7), 7.0},
      {ui32(258), 258.0},              {flt(12.5f), 12.5},
      {flt(std::numeric_limits<float>::quiet_NaN()), std::nullopt},
      {flt(std::numeric_limits<float>::infinity()), std::nullopt},
      {{"sp78", {0x2F}}, std::nullopt}, {{"ui32", {0, 0, 1}}, std::nullopt},
      {{"ui8", {7}}, std::nullopt},     {{"si16", {0x2F, 0x80}}, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(SMCSensors::decode(c.key.bytes, c.key.type), c.expected) << c.key.type;
  EXPECT_EQ(SMCSensors::code("#KEY"), 0x234B4559u);
  EXPECT_EQ(SMCSensors::name(0x54C30000u), "");  // not ASCII
}

TEST(SMCSensors, FourFixedKeysGiveGroupsThenSensorsThenFans) {
  auto state = controllerWith({{"TC0P", sp78(45)}, {"TC0D", sp78(47)}, {"TG0P", sp78(40)}, {"TB0T", sp78(30)},
                               {"TA0P", sp78(20)}, {"FNum", ui8(1)}, {"F0Ac", fpe2(1800)}});
  SMCSensors reader(std::make_unique<FakeController>(&state));
  EXPECT_EQ(reader.status(), kStatus);
  const auto metrics = reader.sample(1000);
  const std::vector<std::pair<std::string, double>> expected = {
      {"Battery temperature", 30}, {"GPU temperature", 40}, {"CPU temperature", 46}, {"Sensor TC0P", 45},
      {"Sensor TC0D", 47},         {"Sensor TG0P", 40},     {"Sensor TB0T", 30},     {"Fan 1", 1800}};
  ASSERT_EQ(metrics.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(metrics[i].name, expected[i].first);
    EXPECT_EQ(metrics[i].value, expected[i].second) << metrics[i].name;
    EXPECT_EQ(metrics[i].timestamp, 1000);
  }
  EXPECT_EQ(metrics[1].source, kStatus + " · mean of recognised Tg/TG keys");
  EXPECT_EQ(metrics[2].quality, "Derived · undocumented group mapping");
  EXPECT_EQ(metrics[3].source, "AppleSMC / TC0P · controller-reported; mapping undocumented");
  EXPECT_EQ(metrics[7].source, "AppleSMC / F0Ac · actual speed");
}

TEST(SMCSensors, LeavesOutImplausibleUnknownAndUnreadableTemperatures) {
  auto state = controllerWith({{"Tp00", sp78(0)}, {"Tp01", flt(150)}, {"Tp02", flt(149.9f)},
                               {"Tp03", {"si16", {0x20, 0x00}}}, {"Tp04", sp78(-5)}, {"Tp05", {"sp78", {}}}});
  const auto metrics = sampleOf(state);
  ASSERT_EQ(metrics.size(), 5u);
  EXPECT_EQ(metrics[3].name, "Sensor Tp02");
  EXPECT_NEAR(*metrics[3].value, 149.9, 0.01);
  EXPECT_FALSE(metrics[0].value);
  EXPECT_EQ(metrics[0].quality, "Not available");
}

TEST(SMCSensors, FanCountsAndSpeeds) {
  struct Case {
    std::vector<std::pair<std::string, FakeKey>> keys;
    std::vector<std::pair<std::string, std::optional<double>>> fans;
    std::string lastSource;
  } cases[] = {
      {{{"FNum", ui8(2)}, {"F0Ac", fpe2(1200)}}, {{"Fan 1", 1200}, {"Fan 2", std::nullopt}}, "AppleSMC / F1Ac · actual speed"},
      {{{"FNum", ui8(0)}}, {{"Fan speed", std::nullopt}}, "AppleSMC reports no fans"},
      {{{"FNum", ui8(9)}}, {{"Fan speed", std::nullopt}}, kStatus},
      {{}, {{"Fan speed", std::nullopt}}, kStatus},
      {{{"FNum", ui8(2)}, {"F0Ac", flt(20000)}, {"F1Ac", ui32(20001)}}, {{"Fan 1", 20000}, {"Fan 2", std::nullopt}},
       "AppleSMC / F1Ac · actual speed"},
  };
  for (auto& c : cases) {
    c.keys.insert(c.keys.begin(), {"TC0P", sp78(40)});
    auto state = controllerWith(c.keys);
    const auto metrics = sampleOf(state);
    ASSERT_EQ(metrics.size(), 4 + c.fans.size()) << c.lastSource;
    for (std::size_t i = 0; i < c.fans.size(); ++i) {
      const Metric& fan = metrics[4 + i];
      EXPECT_EQ(fan.name, c.fans[i].first);
      EXPECT_EQ(fan.value, c.fans[i].second) << fan.name;
      EXPECT_EQ(fan.quality, fan.value ? "Measured" : "Not available");
    }
    EXPECT_EQ(metrics.back().source, c.lastSource);
  }
}

TEST(SMCSensors, KeyCountOutOfRangeKeepsNothing) {
  for (const std::uint32_t count : {0u, 16384u}) {
    auto state = controllerWith({{"TC0P", sp78(40)}});
    state.keys[0].second = ui32(count);
    SMCSensors reader(std::make_unique<FakeController>(&state));
    EXPECT_EQ(reader.status(), "Controller accessible; no recognised temperature keys") << count;
  }
}

TEST(SMCSensors, UnavailableControllerReportsEverythingAbsent) {
  auto state = controllerWith({{"TC0P", sp78(40)}, {"FNum", ui8(1)}, {"F0Ac", fpe2(1000)}});
  state.openable = false;
  const auto metrics = sampleOf(state);
  ASSERT_EQ(metrics.size(), 4u);
  for (const auto& m : metrics) EXPECT_FALSE(m.value) << m.name;
  EXPECT_EQ(metrics[3].source, "Controller unavailable or access restricted");
  EXPECT_EQ(metrics[2].source, "Controller unavailable or access restricted · mean of recognised Tp/Te/TC keys");
  EXPECT_EQ(state.calls, 0);
}

// A controller whose replies are wrong in every way the record allows.
class GarbageController : public FakeController {
 public:
  GarbageController(State* s, int mode) : FakeController(s), mode_(mode) {}
  int call(const SMCMessage& in, SMCMessage& out, std::size_t& outSize) override {
    const int rc = FakeController::call(in, out, outSize);
    if (mode_ == 1) outSize = 79;
    if (mode_ == 2) out.dataSize = 33;
    if (mode_ == 3) out.dataSize = 0;
    if (mode_ == 4) out.result = 1;
    return mode_ == 5 ? -536870206 : rc;
  }

 private:
  int mode_;
};

TEST(SMCSensors, GarbageRepliesNeverBecomeValues) {
  for (int mode = 1; mode <= 5; ++mode) {
    auto state = controllerWith({{"TC0P", sp78(40)}, {"FNum", ui8(1)}, {"F0Ac", fpe2(900)}});
    SMCSensors reader(std::make_unique<GarbageController>(&state, mode));
    EXPECT_EQ(reader.status(), "Controller accessible; no recognised temperature keys") << mode;
    for (const auto& m : reader.sample(1)) EXPECT_FALSE(m.value) << mode << " " << m.name;
  }
}

}  // namespace
}  // namespace tempyra
