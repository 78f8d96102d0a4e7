// The scaling calculator of one channel: the user gives input zero, input
// full scale, output zero and output full scale; the gain follows. Output =
// (input + offset - SCALE_IPZERO) x SCALE_GAIN + SCALE_OPZERO, where the
// offset lifts inputs of unipolar data formats above zero.
#pragma once

#include "model/globals.h"
#include "model/session.h"

namespace kdv::edit {

// Offset added to inputs under a unipolar data format: 100 for input type 0
// (mV or mA), 0 for 13 and 15, 500 for every other type; 0 when the format
// is not unipolar.
double GETOFFSET(kdv::model::byte data_format, kdv::model::byte input_type);

// Output of the current channel for an input value.
double CALCOUT(kdv::model::Session& session, double input);

// Sets the current channel's gain so that the signal full scale maps to the
// output full scale; equal zero and full scale leave the gain unchanged.
void CALCGAIN(kdv::model::Session& session, double sigzero, double sigfsd, double opfsd);

// The calculator's working values, started from the current channel's
// stored scaling.
struct WORKING {
  double SIGZERO = 0;  // input zero as the user sees it
  double SIGFSD = 100;  // input that maps to the output full scale
  double OPFSD = 0;  // output at the signal full scale
  double EXIN = 1;  // example input
  double EXOUT = 0;  // its output, recomputed on every pass
};
WORKING SETSTART(kdv::model::Session& session);

// Fill the value column of the calculator screen.
void CALCVALS(kdv::model::Session& session, double sigzero, double sigfsd, double opfsd, double exin,
              double exout);

// Entries of the working values (each keeps its value on Escape). An entry
// of signal zero, signal full scale or output full scale that gives a gain
// the link cannot carry is refused.
void INZERO(kdv::model::Session& session, WORKING& w);
void INFSD(kdv::model::Session& session, WORKING& w);
void OUTFSD(kdv::model::Session& session, WORKING& w);
void EXINPUT(kdv::model::Session& session, double& exin);

// The calculator menu loop; sends the channel's scaling when left online.
void CALCSCALES(kdv::model::Session& session);

}  // namespace kdv::edit
