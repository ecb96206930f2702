// The command set against the virtual printer: what one CCommonVmsm writes, another reads back.

#include <gtest/gtest.h>

#include "fakes/sim_services.h"
#include "protocol/common_vmsm.h"
#include "protocol/result_codes.h"
#include "protocol/vmsm_commands.h"
#include "sim/printer_model.h"

namespace {

struct SimRig : fakes::SimServices {
  protocol::CCommonUtil util{services};
};

TEST(VmsmSimTest, WhatIsWrittenReadsBack) {
  SimRig rig;
  ASSERT_TRUE(rig.util.OpenLink());
  protocol::CCommonVmsm writer(&rig.util, rig.clock);
  writer.settings().Density = 3;
  writer.settings().Speed = 1;
  writer.settings().LCharMode = 1;
  writer.settings().CodePage = 33;
  writer.settings().TimeOff = 45;
  writer.settings().TimeSave = 100;
  writer.settings().Msr = 2;
  writer.settings().FontType = 1;
  writer.settings().BeepPaper = 1;
  writer.settings().Service = 1;
  writer.settings().Sentinel = 1;
  writer.settings().BleMode = 1;
  writer.settings().Baudrate = 9600;
  writer.settings().Parity = 2;
  writer.settings().Flowcontrol = 2;
  writer.settings().Databit = 7;
  writer.settings().CuttingPosition = 288;
  writer.settings().SentinelStart = {"%", "", "+"};
  writer.settings().SentinelEnd = {"?", ";", ""};
  writer.settings().RfInterface = 1;
  writer.settings().BtSecurity = 1;
  writer.settings().BtConnMode = 2;
  writer.settings().BtPin = "9876";
  writer.settings().BtName = "Shop printer";

  ASSERT_EQ(writer.InitSetting(), protocol::kResultOk);
  for (uint8_t a : {1, 2, 3, 5, 6, 7, 8, 116})
    ASSERT_EQ(writer.WriteSwitch(a), protocol::kResultOk) << int{a};
  for (uint8_t a = 1; a <= 4; ++a) ASSERT_EQ(writer.WriteSerial(a), protocol::kResultOk) << int{a};
  ASSERT_EQ(writer.WriteTearOff(), protocol::kResultOk);
  for (uint8_t t = 1; t <= 3; ++t)
    ASSERT_EQ(writer.WriteSentinel(t), protocol::kResultOk) << int{t};
  ASSERT_EQ(writer.WriteRfInterface(), protocol::kResultOk);
  ASSERT_EQ(writer.EndSetting(), protocol::kResultOk);
  ASSERT_EQ(writer.WriteBtInfo(), protocol::kResultOk);

  protocol::CCommonVmsm reader(&rig.util, rig.clock);
  for (uint8_t a : {1, 2, 3, 5, 6, 7, 8, 116})
    EXPECT_EQ(reader.ReadSwitch(a), protocol::kResultOk) << int{a};
  for (uint8_t a = 1; a <= 4; ++a) EXPECT_EQ(reader.ReadSerial(a), protocol::kResultOk) << int{a};
  EXPECT_EQ(reader.ReadTearOff(), protocol::kResultOk);
  for (uint8_t t = 1; t <= 3; ++t) EXPECT_EQ(reader.ReadSentinel(t), protocol::kResultOk) << int{t};
  EXPECT_EQ(reader.ReadRfInterface(), protocol::kResultOk);
  for (uint8_t kind : {protocol::vmsm::kBtConnMode, protocol::vmsm::kBtName, protocol::vmsm::kBtPin,
                       protocol::vmsm::kBtSecurity}) {
    EXPECT_EQ(reader.ReadBtInfo(kind), protocol::kResultOk) << kind;
  }
  reader.settings().BtSkip = writer.settings().BtSkip;
  EXPECT_EQ(reader.settings(), writer.settings());
  EXPECT_TRUE(rig.util.dev().is_open());
}

TEST(VmsmSimTest, FactoryDefaultIsAcknowledged) {
  SimRig rig;
  ASSERT_TRUE(rig.util.OpenLink());
  protocol::CCommonVmsm vmsm(&rig.util, rig.clock);
  EXPECT_EQ(vmsm.FactoryDefault(), protocol::kResultOk);
  EXPECT_EQ(vmsm.ReadSwitch(7), protocol::kResultOk);
  EXPECT_EQ(vmsm.settings().Msr, 6u);
  EXPECT_EQ(vmsm.ReadSentinel(2), protocol::kResultOk);
  EXPECT_EQ(vmsm.settings().SentinelStart[1], "START2");
  EXPECT_EQ(vmsm.settings().SentinelEnd[1], "END2");
}

}  // namespace
