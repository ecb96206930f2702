// CCommonUtil's identification against the virtual printer, over the in-process transports, in
// virtual time.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fakes/sim_services.h"
#include "protocol/common_util.h"
#include "protocol/result_codes.h"
#include "sim/printer_model.h"

namespace {

const std::vector<uint8_t> kOpenCheckQuery = {0x1B, 0x4D, 0x49};
const std::vector<uint8_t> kModelQuery = {0x1D, 0x49, 0x43};

// How often `query` appears in what the host sent.
int Occurrences(const std::vector<uint8_t>& sent, const std::vector<uint8_t>& query) {
  int count = 0;
  for (auto it = sent.begin();
       (it = std::search(it, sent.end(), query.begin(), query.end())) != sent.end(); ++it) {
    ++count;
  }
  return count;
}

class IdentificationSimTest : public ::testing::Test {
 protected:
  // Opens the link over the chosen interface (serial by default, as the desktop does).
  void Open(int interface = devlink::CDev::kInterfaceSerial) {
    const bool tcp = interface == devlink::CDev::kInterfaceTcp;
    util_.SetLinkSettings({.interface = interface, .port_name = tcp ? "NET127.0.0.1" : "COM1"});
    ASSERT_TRUE(util_.OpenLink());
    factory_.line().sent.clear();
  }

  fakes::SimServices sim_{10000};
  platform::VirtualClock& clock_ = sim_.clock;
  sim::PrinterModel& printer_ = sim_.model;
  sim::SimDeviceFactory& factory_ = sim_.devices;
  protocol::CCommonUtil util_{sim_.services};
};

TEST_F(IdentificationSimTest, ModelRepliesAcceptedOrRefused) {
  struct Row {
    const char* model;
    protocol::Result result;
    uint32_t model_code;
  } rows[] = {{"TMQ-D550", protocol::kResultOk, protocol::MODEL_TMQD550},
              {"TMQ D550", protocol::kResultOk, protocol::MODEL_TMQD550},
              {"TMQ-D551", protocol::kResultNotAccepted, 0},
              {"TMQ-D55", protocol::kResultNotAccepted, 0}};
  for (const auto& row : rows) {
    printer_.config().model = row.model;
    Open();
    EXPECT_EQ(util_.GetPrinterInfo(protocol::CCommonUtil::kModel), row.result) << row.model;
    EXPECT_EQ(util_.identity().model_code, row.model_code) << row.model;
    EXPECT_EQ(util_.dev().is_open(), row.result == protocol::kResultOk) << row.model;
    if (row.result == protocol::kResultOk) {
      EXPECT_EQ(util_.identity().model_name, row.model);
    }
    util_.dev().Close();
  }
}

TEST_F(IdentificationSimTest, MakerAcceptedOrRefused) {
  struct Row {
    const char* maker;
    protocol::Result result;
  } rows[] = {{"KORVANE", protocol::kResultOk},
              {"KORVANEX", protocol::kResultNotAccepted},
              {"ACME", protocol::kResultNotAccepted}};
  for (const auto& row : rows) {
    printer_.config().maker = row.maker;
    Open();
    EXPECT_EQ(util_.GetPrinterInfo(protocol::CCommonUtil::kMaker), row.result) << row.maker;
    util_.dev().Close();
  }
}

TEST_F(IdentificationSimTest, StaleAcknowledgementBeforeTheModelReplyIsPassedOver) {
  printer_.faults().stale_model_reply = true;
  Open();
  EXPECT_EQ(util_.GetPrinterInfo(protocol::CCommonUtil::kModel), protocol::kResultOk);
  EXPECT_EQ(util_.identity().model_code, 2u);
  EXPECT_EQ(util_.identity().model_name, "TMQ-D550");
}

// A printer 3 s slow answers the model query and each of its resends; the late copies must not
// pass for the maker's reply.
TEST_F(IdentificationSimTest, ASlowPrintersLateAnswersToResentQueriesAreNotTakenForTheNext) {
  printer_.faults().extra_delay_ms = 3000;
  Open(devlink::CDev::kInterfaceTcp);
  ASSERT_EQ(util_.GetPrinterInfo(protocol::CCommonUtil::kModel), protocol::kResultOk);
  EXPECT_GT(Occurrences(factory_.line().sent, kModelQuery), 1);
  EXPECT_EQ(util_.GetPrinterInfo(protocol::CCommonUtil::kMaker), protocol::kResultOk)
      << util_.refused_identity();
}

TEST_F(IdentificationSimTest, BothFirmwareGenerationsOverEachTransport) {
  struct Row {
    const char* firmware;
    uint32_t number;
  } rows[] = {{sim::kNewerFirmware, protocol::kFirmwareNewer},
              {sim::kOlderFirmware, protocol::kFirmwareOlder}};
  for (int interface : {devlink::CDev::kInterfaceSerial, devlink::CDev::kInterfaceUsb,
                        devlink::CDev::kInterfaceTcp}) {
    for (const auto& row : rows) {
      printer_.config().firmware = row.firmware;
      if (interface == devlink::CDev::kInterfaceUsb) {
        util_.SetLinkSettings({.interface = interface, .port_name = "/dev/usb/lp0"});
        ASSERT_TRUE(util_.OpenLink());
      } else {
        Open(interface);
      }
      ASSERT_EQ(util_.GetPrinterInfo(protocol::CCommonUtil::kModel), protocol::kResultOk)
          << interface;
      EXPECT_EQ(util_.GetPrinterInfo(protocol::CCommonUtil::kFirmwareVersion), protocol::kResultOk);
      EXPECT_EQ(util_.identity().firmware_version_text, row.firmware);
      EXPECT_EQ(util_.identity().firmware_version, row.number)
          << row.firmware << " over " << interface;
      util_.dev().Close();
    }
  }
}

TEST_F(IdentificationSimTest, VersionReplyInTwoPiecesIsJoined) {
  printer_.faults().split_pieces = 2;
  printer_.faults().split_gap_ms = 1200;
  printer_.faults().only = {sim::Command::kVersion};
  Open();
  ASSERT_EQ(util_.GetPrinterInfo(protocol::CCommonUtil::kModel), protocol::kResultOk);
  const uint64_t start = clock_.NowMs();
  EXPECT_EQ(util_.GetPrinterInfo(protocol::CCommonUtil::kFirmwareVersion), protocol::kResultOk);
  EXPECT_EQ(util_.identity().firmware_version_text, sim::kNewerFirmware);
  EXPECT_EQ(util_.identity().firmware_version, 160902u);
  EXPECT_GE(clock_.NowMs() - start, 1200u);
}

TEST_F(IdentificationSimTest, VersionLaterThanThreeSecondsIsMissing) {
  printer_.faults().extra_delay_ms = 3500;
  printer_.faults().only = {sim::Command::kVersion};
  Open();
  ASSERT_EQ(util_.GetPrinterInfo(protocol::CCommonUtil::kModel), protocol::kResultOk);
  EXPECT_EQ(util_.GetPrinterInfo(protocol::CCommonUtil::kFirmwareVersion),
            protocol::kResultNoReply);
  EXPECT_FALSE(util_.dev().is_open());
}

TEST_F(IdentificationSimTest, OpenCheckStoresTheMsrSetting) {
  printer_.config().open_check_value = 0x50;
  Open();
  EXPECT_EQ(util_.GetPrinterInfo(protocol::CCommonUtil::kOpenCheck), protocol::kResultOk);
  EXPECT_EQ(util_.identity().open_check_value, 0x50);
}

TEST_F(IdentificationSimTest, OpenCheckWithWrongHeaderIsMalformed) {
  printer_.faults().wrong_header = true;
  Open();
  EXPECT_EQ(util_.GetPrinterInfo(protocol::CCommonUtil::kOpenCheck), protocol::kResultBadReply);
  EXPECT_FALSE(util_.dev().is_open());
  EXPECT_FALSE(util_.identity().open_check_value.has_value());
}

TEST_F(IdentificationSimTest, SilentOpenCheckGivesUpAfterTenPausedResends) {
  printer_.faults().silent_for = {sim::Command::kOpenCheck};
  Open();
  const uint64_t start = clock_.NowMs();
  EXPECT_EQ(util_.GetPrinterInfo(protocol::CCommonUtil::kOpenCheck), protocol::kResultNoReply);
  // 10 ms traffic pause before the query, the 200 ms pause, then ten attempts of: a read (10 ms
  // pause after it), the resend (10 ms pause before it) and the 500 ms pause; then the serial
  // close settles for 200 ms.
  EXPECT_EQ(clock_.NowMs() - start, 10u + 200u + 10u * (10u + 10u + 500u) + 200u);
  EXPECT_EQ(Occurrences(factory_.line().sent, kOpenCheckQuery), 11);
  EXPECT_FALSE(util_.dev().is_open());
}

TEST_F(IdentificationSimTest, SilentModelQueryGivesUpAfterTenResends) {
  printer_.faults().silent = true;
  Open();
  EXPECT_EQ(util_.GetPrinterInfo(protocol::CCommonUtil::kModel), protocol::kResultNoReply);
  EXPECT_EQ(Occurrences(factory_.line().sent, kModelQuery), 11);
  EXPECT_FALSE(util_.dev().is_open());
}

TEST_F(IdentificationSimTest, ClosedLinkSendsNothingForAnyKind) {
  for (uint32_t kind = 0; kind <= 4; ++kind) {
    EXPECT_EQ(util_.GetPrinterInfo(kind), protocol::kResultNotOpen) << kind;
  }
  EXPECT_TRUE(factory_.line().sent.empty());
}

TEST_F(IdentificationSimTest, UnknownKindDoesNothing) {
  Open();
  EXPECT_EQ(util_.GetPrinterInfo(7), protocol::kResultOk);
  EXPECT_TRUE(factory_.line().sent.empty());
  EXPECT_TRUE(util_.dev().is_open());
}

TEST_F(IdentificationSimTest, PrinterSwitchedOffFailsTheOpen) {
  factory_.line().printer_on = false;
  util_.SetLinkSettings({.port_name = "COM1"});
  EXPECT_FALSE(util_.OpenLink());
  EXPECT_EQ(factory_.line().open_transports, 0);
}

}  // namespace
