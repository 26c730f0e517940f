#include "model/modem_model.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "common/row_name.h"

namespace lintari {
void PrintTo(const FirmwareRow& row, std::ostream* os) { *os << row.version; }
}  // namespace lintari

namespace lintari::modemsim {
namespace {

using namespace std::string_literals;

const FirmwareRow& build(std::string_view code) { return *firmwareByCode(code); }

std::string flatten(const std::vector<Output>& outputs) {
  std::string bytes;
  for (const Output& o : outputs) bytes += o.bytes;
  return bytes;
}

std::string talk(ModemModel& modem, std::string_view bytes) { return flatten(modem.receive(bytes)); }

struct Exchange {
  std::string name;
  std::string sent;
  std::string answered;
};
void PrintTo(const Exchange& row, std::ostream* os) { *os << row.name; }

class ModemAnswers : public testing::TestWithParam<Exchange> {};

TEST_P(ModemAnswers, ExactBytes) {
  ModemModel modem(build("84a"), Faults{});
  EXPECT_EQ(talk(modem, GetParam().sent), GetParam().answered);
}

const std::string kOk = "\r\nOK\r\n";
const std::string kError = "\r\nERROR\r\n";

INSTANTIATE_TEST_SUITE_P(
    Table, ModemAnswers,
    testing::Values(
        Exchange{"EchoOnThenQuery", "ATE1\rATS11?\r", "ATE1\r" + kOk + "ATS11?\r\r\n095\r\n" + kOk},
        Exchange{"EchoOffStillAnswers", "ATE0\rATS91?\r", "ATE0\r" + kOk + "\r\n010\r\n" + kOk},
        Exchange{"EchoBackOn", "ATE0\rATE1\rAT\r", "ATE0\r" + kOk + kOk + "AT\r" + kOk},
        Exchange{"BareAt", "AT\r", "AT\r" + kOk},
        Exchange{"LowerCaseStore", "at&w&w0&w1\r", "at&w&w0&w1\r" + kOk},
        Exchange{"MixedCasePrefix", "aTs11?\r", "aTs11?\r\r\n095\r\n" + kOk},
        Exchange{
            "BusyToneDefaults", "ATS203?S204?S205?S206?S207?\r",
            "ATS203?S204?S205?S206?S207?\r\r\n010\r\n\r\n050\r\n\r\n005\r\n\r\n040\r\n\r\n004\r\n" + kOk},
        Exchange{"OtherDefaults", "ATS10?S210?S215?S216?S218?S17?\r",
                 "ATS10?S210?S215?S216?S218?S17?"
                 "\r\r\n014\r\n\r\n005\r\n\r\n083\r\n\r\n000\r\n\r\n000\r\n\r\n000\r\n" +
                     kOk},
        Exchange{"TwoSettingsOneLine", "ATS216=5S218=2\rATS216?S218?\r",
                 "ATS216=5S218=2\r" + kOk + "ATS216?S218?\r\r\n005\r\n\r\n002\r\n" + kOk},
        Exchange{"ValueWithLeadingZeros", "ATS203=010\rATS203?\r",
                 "ATS203=010\r" + kOk + "ATS203?\r\r\n010\r\n" + kOk},
        Exchange{"BlanksIgnored", "AT S11 = 60\rATS11?\r",
                 "AT S11 = 60\r" + kOk + "ATS11?\r\r\n060\r\n" + kOk},
        Exchange{"HighestValue", "ATS91=255\rATS91?\r", "ATS91=255\r" + kOk + "ATS91?\r\r\n255\r\n" + kOk},
        Exchange{"ValueTooLargeKeepsOld", "ATS11=256\rATS11?\r",
                 "ATS11=256\r" + kError + "ATS11?\r\r\n095\r\n" + kOk},
        Exchange{"ValueMissing", "ATS11=\r", "ATS11=\r" + kError},
        Exchange{"ValueNotANumber", "ATS203=abc\r", "ATS203=abc\r" + kError},
        Exchange{"RegisterWithoutOperation", "ATS11\r", "ATS11\r" + kError},
        Exchange{"UnknownRegister", "ATS99?\r", "ATS99?\r" + kError},
        Exchange{"HugeRegisterNumber", "ATS99999999999999?\r", "ATS99999999999999?\r" + kError},
        Exchange{"UnknownCommand", "ATX4\r", "ATX4\r" + kError},
        Exchange{"UnknownAmpersand", "AT&K3\r", "AT&K3\r" + kError},
        Exchange{"NoThirdProfile", "AT&W2\r", "AT&W2\r" + kError},
        Exchange{"NoEchoMode2", "ATE2\r", "ATE2\r" + kError},
        Exchange{"ErrorStopsTheLine", "ATS11=60S99=1S91=5\rATS11?S91?\r",
                 "ATS11=60S99=1S91=5\r" + kError + "ATS11?S91?\r\r\n060\r\n\r\n010\r\n" + kOk},
        Exchange{"AnswersBeforeErrorStay", "ATS11?S99?\r", "ATS11?S99?\r\r\n095\r\n" + kError},
        Exchange{"ProductCode", "ATI\r", "ATI\r\r\n56000\r\n" + kOk},
        Exchange{"UnknownInformation", "ATI4\r", "ATI4\r" + kError},
        Exchange{"LineWithoutAttention", "hello\r", "hello\r"}, Exchange{"EmptyLine", "\r", "\r"},
        Exchange{"NoiseBeforeAttention", "~~ATS11?\r", "~~ATS11?\r\r\n095\r\n" + kOk},
        Exchange{"Backspace", "ATS12\b1?\r", "ATS12\b1?\r\r\n095\r\n" + kOk},
        Exchange{"AnswerOnlyAfterCarriageReturn", "ATS11?", "ATS11?"},
        Exchange{"OverlongLine", "AT" + std::string(300, '0') + "\r",
                 "AT" + std::string(300, '0') + "\r" + kError},
        Exchange{"ModulationQuery", "AT+MS?\r", "AT+MS?\r\r\n+MS: V92,1,300,48000,300,56000\r\n" + kOk},
        Exchange{"ModulationSet", "AT+MS=V34,0,2400,33600,2400,33600\rAT+MS?\r",
                 "AT+MS=V34,0,2400,33600,2400,33600\r" + kOk +
                     "AT+MS?\r\r\n+MS: V34,0,2400,33600,2400,33600\r\n" + kOk},
        Exchange{"ModulationBlanksAndLowerCase", "at+ms=v32b, 1, 75, 14400, 75, 14400\rAT+MS?\r",
                 "at+ms=v32b, 1, 75, 14400, 75, 14400\r" + kOk +
                     "AT+MS?\r\r\n+MS: V32b,1,75,14400,75,14400\r\n" + kOk},
        Exchange{"ModulationOmittedFieldsKept", "AT+MS=V90\rAT+MS?\r",
                 "AT+MS=V90\r" + kOk + "AT+MS?\r\r\n+MS: V90,1,300,48000,300,56000\r\n" + kOk},
        Exchange{"ModulationThenRegister", "AT+MS?;S11?\r",
                 "AT+MS?;S11?\r\r\n+MS: V92,1,300,48000,300,56000\r\n\r\n095\r\n" + kOk},
        Exchange{"ModulationUnknownProtocol", "AT+MS=V22\r", "AT+MS=V22\r" + kError},
        Exchange{"ModulationAutomodeTwo", "AT+MS=V92,2\r", "AT+MS=V92,2\r" + kError},
        Exchange{"ModulationRateTooHigh", "AT+MS=V92,1,300,64000\r", "AT+MS=V92,1,300,64000\r" + kError},
        Exchange{"ModulationRateNotNumber", "AT+MS=V92,1,3OO\r", "AT+MS=V92,1,3OO\r" + kError},
        Exchange{"ModulationMinimumAboveMaximum", "AT+MS=V92,1,300,48000,56000,300\r",
                 "AT+MS=V92,1,300,48000,56000,300\r" + kError},
        Exchange{"ModulationSevenFields", "AT+MS=V92,1,300,48000,300,56000,1\r",
                 "AT+MS=V92,1,300,48000,300,56000,1\r" + kError},
        Exchange{"ModulationBareName", "AT+MS\r", "AT+MS\r" + kError},
        Exchange{"UnknownExtended", "AT+GMI\r", "AT+GMI\r" + kError}),
    testing_support::RowName());

TEST(ModemOutputs, EchoAndAnswerArriveAsSeparatePieces) {
  ModemModel modem(build("84a"), Faults{});
  const std::vector<Output> expected{{OutputKind::kEcho, "ATS11?\r"},
                                     {OutputKind::kAnswer, "\r\n095\r\n\r\nOK\r\n"},
                                     {OutputKind::kEcho, "AT"}};
  EXPECT_EQ(modem.receive("ATS11?\rAT"), expected);
}

TEST(ModemOutputs, LineSplitAcrossPiecesIsOneCommand) {
  ModemModel modem(build("84a"), Faults{});
  EXPECT_EQ(talk(modem, "AT"), "AT");
  EXPECT_EQ(talk(modem, "S9"), "S9");
  EXPECT_EQ(talk(modem, "1?\r"), "1?\r\r\n010\r\n\r\nOK\r\n");
}

// A store followed by a reset keeps what was stored and drops what was not.
TEST(ModemProfiles, StoredSettingSurvivesReset) {
  ModemModel modem(build("84a"), Faults{});
  talk(modem, "ATS11=60\rat&w&w0&w1\rATS91=5\rAT+MS=V34\r");
  EXPECT_EQ(talk(modem, "ATZ\r"), "ATZ\r\r\nOK\r\n");
  EXPECT_EQ(modem.registerValue(11), 60);
  EXPECT_EQ(modem.registerValue(91), 10);
  EXPECT_EQ(modem.modulation().protocol, "V92");
}

TEST(ModemProfiles, ModulationIsStoredToo) {
  ModemModel modem(build("84a"), Faults{});
  talk(modem, "AT+MS=V90,0,300,28800,300,56000\rAT&W\rAT+MS=V34\rATZ\r");
  EXPECT_EQ(modem.modulation(), (Modulation{"V90", 0, 300, 28800, 300, 56000}));
}

TEST(ModemProfiles, TwoProfilesAreKeptApart) {
  ModemModel modem(build("84a"), Faults{});
  talk(modem, "ATS11=70&W1\rATZ0\r");
  EXPECT_EQ(modem.registerValue(11), 95);
  talk(modem, "ATZ1\r");
  EXPECT_EQ(modem.registerValue(11), 70);
}

TEST(ModemProfiles, ResetIgnoresTheRestOfItsLine) {
  ModemModel modem(build("84a"), Faults{});
  EXPECT_EQ(talk(modem, "ATZS11=60\r"), "ATZS11=60\r\r\nOK\r\n");
  EXPECT_EQ(modem.registerValue(11), 95);
}

TEST(ModemProfiles, FactoryLoadLeavesProfilesAlone) {
  ModemModel modem(build("84a"), Faults{});
  talk(modem, "ATS11=60&W\rATS11=70\rAT&F\r");
  EXPECT_EQ(modem.registerValue(11), 95);
  talk(modem, "ATZ\r");
  EXPECT_EQ(modem.registerValue(11), 60);
}

TEST(ModemProfiles, EchoModeIsPartOfTheProfile) {
  ModemModel modem(build("84a"), Faults{});
  talk(modem, "ATE0&W\rATE1\rATZ\r");
  EXPECT_FALSE(modem.echoOn());
  EXPECT_EQ(talk(modem, "AT\r"), "\r\nOK\r\n");
}

class ModemIdentifies : public testing::TestWithParam<FirmwareRow> {};

TEST_P(ModemIdentifies, WithItsOwnSignatureOnly) {
  ModemModel modem(GetParam(), Faults{});
  const std::string answer = talk(modem, "ATI3\r");
  EXPECT_TRUE(answer.starts_with("ATI3\r\r\n"));
  EXPECT_TRUE(answer.ends_with("\r\n\r\nOK\r\n"));
  for (const FirmwareRow& row : firmwareTable()) {
    EXPECT_EQ(answer.find(row.pattern) != std::string::npos, row.version == GetParam().version)
        << "pattern " << row.pattern;
  }
  EXPECT_NE(answer.find(GetParam().series), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(EveryBuild, ModemIdentifies,
                         testing::ValuesIn(firmwareTable().begin(), firmwareTable().end()),
                         [](const testing::TestParamInfo<FirmwareRow>& row) {
                           std::string name = "Build_";
                           for (char c : row.param.version)
                             name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

TEST(ModemFirmware, UnknownCodeIsNotFound) {
  EXPECT_EQ(firmwareByCode("84"), nullptr);
  EXPECT_EQ(firmwareByCode("84A"), nullptr);
  ASSERT_NE(firmwareByCode("DE.beta62"), nullptr);
  EXPECT_EQ(firmwareByCode("DE.beta62")->series, "Kelvane");
}

template <class Set>
Faults with(Set set) {
  Faults faults;
  set(faults);
  return faults;
}

struct FaultCase {
  std::string name;
  Faults faults;
  std::string sent;
  std::string answered;
};
void PrintTo(const FaultCase& row, std::ostream* os) { *os << row.name; }

class ModemFaults : public testing::TestWithParam<FaultCase> {};

TEST_P(ModemFaults, ExactBytes) {
  ModemModel modem(build("84a"), GetParam().faults);
  EXPECT_EQ(talk(modem, GetParam().sent), GetParam().answered);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ModemFaults,
    testing::Values(FaultCase{"NoEchoIgnoresE1", with([](Faults& f) { f.noEcho = true; }), "ATE1\rATS11?\r",
                              "\r\nOK\r\n\r\n095\r\n\r\nOK\r\n"},
                    FaultCase{"SilentSendsNothing", with([](Faults& f) { f.silent = true; }),
                              "ATE1\rATS11?\rATI3\r", ""},
                    FaultCase{"GarbleKeepsEcho", with([](Faults& f) { f.garble = true; }), "ATS11?\r",
                              "ATS11?\r#%&*~^!?#%&*~"},
                    FaultCase{"NulBytesInAnswer", with([](Faults& f) { f.nulBytes = true; }), "AT\r",
                              "AT\r\r\n\0OK\0\r\n\0"s},
                    FaultCase{"ErrorRegisterOnReadAndWrite", with([](Faults& f) { f.errorRegisters = {91}; }),
                              "ATS91?\rATS91=5\rATS11?\r",
                              "ATS91?\r\r\nERROR\r\nATS91=5\r\r\nERROR\r\nATS11?\r\r\n095\r\n\r\nOK\r\n"},
                    FaultCase{"ErrorRegisterMidLine", with([](Faults& f) { f.errorRegisters = {218}; }),
                              "ATS216?S218?\r", "ATS216?S218?\r\r\n000\r\n\r\nERROR\r\n"},
                    FaultCase{"BannerReplacesOnlyTheIdentification",
                              with([](Faults& f) { f.banner = "zpl4_r1.914.kq1"; }), "ATI3\rATI0\r",
                              "ATI3\r\r\nzpl4_r1.914.kq1\r\n\r\nOK\r\nATI0\r\r\n56000\r\n\r\nOK\r\n"},
                    FaultCase{"EmptyBanner", with([](Faults& f) { f.banner = ""; }), "ATI3\r",
                              "ATI3\r\r\n\r\n\r\nOK\r\n"}),
    testing_support::RowName());

TEST(ModemStream, StartsAfterTheFirstLineAndCarriesNoValue) {
  ModemModel modem(build("84a"), with([](Faults& f) { f.stream = true; }));
  talk(modem, "ATE1");
  EXPECT_FALSE(modem.streaming());
  talk(modem, "\r");
  ASSERT_TRUE(modem.streaming());
  std::string stream;
  for (int i = 0; i < 4; ++i) stream += modem.streamBurst();
  EXPECT_FALSE(stream.empty());
  for (char c : stream)
    EXPECT_FALSE(std::isalnum(static_cast<unsigned char>(c)) || c == '\r' || c == '\n') << c;
}

TEST(ModemStream, NeverWithoutTheFault) {
  ModemModel modem(build("84a"), Faults{});
  talk(modem, "ATE1\rATS11?\r");
  EXPECT_FALSE(modem.streaming());
}

using std::chrono::milliseconds;
const OutputSchedule::Clock::time_point kStart{std::chrono::seconds(100)};

TEST(OutputScheduleTiming, EchoAtOnceAnswerAfterTheDelay) {
  OutputSchedule schedule(milliseconds(200));
  schedule.add({{OutputKind::kEcho, "AT\r"}, {OutputKind::kAnswer, "\r\nOK\r\n"}}, kStart);
  EXPECT_EQ(schedule.takeDue(kStart), "AT\r");
  EXPECT_EQ(schedule.nextDue(), kStart + milliseconds(200));
  EXPECT_EQ(schedule.takeDue(kStart + milliseconds(199)), "");
  EXPECT_EQ(schedule.takeDue(kStart + milliseconds(200)), "\r\nOK\r\n");
  EXPECT_TRUE(schedule.empty());
  EXPECT_EQ(schedule.nextDue(), std::nullopt);
}

// A busy modem answers one line after the other: the second answer waits
// its own delay after the first, and later echo never overtakes an answer.
TEST(OutputScheduleTiming, NothingOvertakesAPendingAnswer) {
  OutputSchedule schedule(milliseconds(100));
  schedule.add({{OutputKind::kEcho, "A\r"},
                {OutputKind::kAnswer, "1"},
                {OutputKind::kEcho, "B\r"},
                {OutputKind::kAnswer, "2"}},
               kStart);
  schedule.add({{OutputKind::kEcho, "C"}}, kStart + milliseconds(50));
  EXPECT_EQ(schedule.takeDue(kStart + milliseconds(50)), "A\r");
  EXPECT_EQ(schedule.takeDue(kStart + milliseconds(100)), "1B\r");
  EXPECT_EQ(schedule.takeDue(kStart + milliseconds(199)), "");
  EXPECT_EQ(schedule.takeDue(kStart + milliseconds(200)), "2C");
}

TEST(OutputScheduleTiming, DelayCountsFromArrivalWhenIdle) {
  OutputSchedule schedule(milliseconds(100));
  schedule.add({{OutputKind::kAnswer, "1"}}, kStart);
  EXPECT_EQ(schedule.takeDue(kStart + milliseconds(100)), "1");
  schedule.add({{OutputKind::kAnswer, "2"}}, kStart + milliseconds(500));
  EXPECT_EQ(schedule.nextDue(), kStart + milliseconds(600));
}

TEST(OutputScheduleTiming, ClearDropsPendingOutputAndItsWait) {
  OutputSchedule schedule(milliseconds(100));
  schedule.add({{OutputKind::kAnswer, "old"}}, kStart);
  schedule.clear();
  EXPECT_TRUE(schedule.empty());
  schedule.add({{OutputKind::kEcho, "new"}}, kStart + milliseconds(10));
  EXPECT_EQ(schedule.takeDue(kStart + milliseconds(10)), "new");
}

TEST(OutputScheduleTiming, NoDelayMeansAllAtOnce) {
  OutputSchedule schedule(milliseconds(0));
  schedule.add({{OutputKind::kEcho, "AT\r"}, {OutputKind::kAnswer, "\r\nOK\r\n"}}, kStart);
  EXPECT_EQ(schedule.takeDue(kStart), "AT\r\r\nOK\r\n");
}

}  // namespace
}  // namespace lintari::modemsim
