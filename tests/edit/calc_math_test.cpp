#include <gtest/gtest.h>

#include "edit/calc.h"
#include "support/fresh_process.h"

using namespace kdv::model;
using namespace kdv::edit;

namespace {

class CalcMath : public FreshProcess {
 protected:
  void SetUp() override {
    INITCOMMS(session);
    ch().SCALE_IPZERO = 0;
    ch().SCALE_OPZERO = 0;
    ch().SCALE_GAIN = 1;
  }
  CHANNEL_DATA& ch() { return session.RX().TRANSMITTER[session.TXNO].CHANNEL[session.CHNO]; }
};

TEST_F(CalcMath, OffsetByFormatAndInputType) {
  for (byte f : {4, 8, 12, 16}) {
    EXPECT_EQ(GETOFFSET(f, 0), 100.0);
    EXPECT_EQ(GETOFFSET(f, 13), 0.0);
    EXPECT_EQ(GETOFFSET(f, 15), 0.0);
    EXPECT_EQ(GETOFFSET(f, 5), 500.0);
    EXPECT_EQ(GETOFFSET(f, 27), 500.0);
  }
  for (byte f : {0, 1, 5, 6, 7, 9, 18})
    for (byte t : {0, 5, 13}) EXPECT_EQ(GETOFFSET(f, t), 0.0);
}

TEST_F(CalcMath, StartValuesMapSignalZeroToOutputZero) {
  session.RX().DATA_FORMAT = 4;  // 16BIT Unsigned: input type 0 carries 100
  ch().SCALE_OPZERO = 7;
  ch().SCALE_GAIN = 2;
  const WORKING w = SETSTART(session);
  EXPECT_EQ(w.SIGZERO, -100.0);
  EXPECT_EQ(CALCOUT(session, w.SIGZERO), 7.0);
  EXPECT_EQ(CALCOUT(session, w.SIGFSD), w.OPFSD);
}

TEST_F(CalcMath, GainFromFullScaleAndEqualSpanKeepsIt) {
  CALCGAIN(session, 0, 20, 4000);
  EXPECT_EQ(ch().SCALE_GAIN, 200.0);
  ch().SCALE_OPZERO = 1000;
  CALCGAIN(session, 0, 20, 4000);
  EXPECT_EQ(ch().SCALE_GAIN, 150.0);
  CALCGAIN(session, 7, 7, 99999);
  EXPECT_EQ(ch().SCALE_GAIN, 150.0);
}

}  // namespace
