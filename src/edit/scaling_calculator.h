// The scaling calculator of one channel: the user gives input zero, input
// full scale, output zero and output full scale; the gain follows. Output =
// (input + offset - SCALE_IPZERO) x SCALE_GAIN + SCALE_OPZERO, where the
// offset lifts inputs of unipolar data formats above zero.
#pragma once

#include "model/records.h"
#include "model/session.h"

namespace kdv::edit {

// Offset added to inputs under a unipolar data format: 100 for input type 0
// (mV or mA), 0 for 13 and 15, 500 for every other type; 0 when the format
// is not unipolar.
double unipolar_offset(kdv::model::Byte data_format, kdv::model::Byte input_type);

// Output of the current channel for an input value.
double output_for(kdv::model::Session& session, double input);

// Sets the current channel's gain so that the signal full scale maps to the
// output full scale; equal zero and full scale leave the gain unchanged.
void set_gain(kdv::model::Session& session, double sigzero, double sigfsd, double opfsd);

// The calculator's working values, started from the current channel's
// stored scaling.
struct WorkingValues {
  double signal_zero = 0;  // input zero as the user sees it
  double signal_full_scale = 100;  // input that maps to the output full scale
  double output_full_scale = 0;  // output at the signal full scale
  double example_input = 1;  // example input
  double example_output = 0;  // its output, recomputed on every pass
};
WorkingValues start_values(kdv::model::Session& session);

// Fill the value column of the calculator screen.
void fill_calculator_values(kdv::model::Session& session, double sigzero, double sigfsd, double opfsd, double exin,
              double exout);

// Entries of the working values (each keeps its value on Escape). An entry
// of signal zero, signal full scale or output full scale that gives a gain
// the link cannot carry is refused.
void enter_signal_zero(kdv::model::Session& session, WorkingValues& w);
void enter_signal_full_scale(kdv::model::Session& session, WorkingValues& w);
void enter_output_full_scale(kdv::model::Session& session, WorkingValues& w);
void enter_example_input(kdv::model::Session& session, double& exin);

// The calculator menu loop; sends the channel's scaling when left online.
void calculator_menu(kdv::model::Session& session);

}  // namespace kdv::edit
