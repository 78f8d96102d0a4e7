#include <gtest/gtest.h>

#include "edit/scaling_calculator.h"
#include "support/fresh_process.h"

using namespace kdv::model;
using namespace kdv::edit;

namespace {

class ScalingCalculatorMath : public FreshProcess {
 protected:
  void SetUp() override {
    init_model(session);
    ch().SCALE_IPZERO = 0;
    ch().SCALE_OPZERO = 0;
    ch().SCALE_GAIN = 1;
  }
  ChannelRecord& ch() { return session.current_receiver().TRANSMITTER[session.transmitter_number].CHANNEL[session.channel_number]; }
};

TEST_F(ScalingCalculatorMath, OffsetByFormatAndInputType) {
  for (Byte f : {4, 8, 12, 16}) {
    EXPECT_EQ(unipolar_offset(f, 0), 100.0);
    EXPECT_EQ(unipolar_offset(f, 13), 0.0);
    EXPECT_EQ(unipolar_offset(f, 15), 0.0);
    EXPECT_EQ(unipolar_offset(f, 5), 500.0);
    EXPECT_EQ(unipolar_offset(f, 27), 500.0);
  }
  for (Byte f : {0, 1, 5, 6, 7, 9, 18})
    for (Byte t : {0, 5, 13}) EXPECT_EQ(unipolar_offset(f, t), 0.0);
}

TEST_F(ScalingCalculatorMath, StartValuesMapSignalZeroToOutputZero) {
  session.current_receiver().DATA_FORMAT = 4;  // 16BIT Unsigned: input type 0 carries 100
  ch().SCALE_OPZERO = 7;
  ch().SCALE_GAIN = 2;
  const WorkingValues w = start_values(session);
  EXPECT_EQ(w.signal_zero, -100.0);
  EXPECT_EQ(output_for(session, w.signal_zero), 7.0);
  EXPECT_EQ(output_for(session, w.signal_full_scale), w.output_full_scale);
}

TEST_F(ScalingCalculatorMath, GainFromFullScaleAndEqualSpanKeepsIt) {
  set_gain(session, 0, 20, 4000);
  EXPECT_EQ(ch().SCALE_GAIN, 200.0);
  ch().SCALE_OPZERO = 1000;
  set_gain(session, 0, 20, 4000);
  EXPECT_EQ(ch().SCALE_GAIN, 150.0);
  set_gain(session, 7, 7, 99999);
  EXPECT_EQ(ch().SCALE_GAIN, 150.0);
}

}  // namespace
