// The graphics system configuration of the current AutoCAD application.
//
// Models: the one configuration flag the plug-in reads and switches (adaptive degradation: the
// graphics system lowers display quality to keep panning and zooming fluid, which the online
// base map must switch off), and the step that applies the configuration. A changed flag is
// only configured until apply() is called; applied() tells what the graphics system uses.
// apply() is counted so a session can see whether the configuration was applied.
// Limitations: this single flag is the only configuration modelled; no devices, no views, no
// other performance settings.
#pragma once

class AcGsConfig {
 public:
  bool adaptiveDegradation() const { return adaptiveDegradation_; }
  void setAdaptiveDegradation(bool on) { adaptiveDegradation_ = on; }

  // Makes the configured values the ones in use.
  void apply() {
    appliedAdaptiveDegradation_ = adaptiveDegradation_;
    ++applyCount_;
  }
  // The flag the graphics system currently uses (the value of the last apply()).
  bool appliedAdaptiveDegradation() const { return appliedAdaptiveDegradation_; }
  int applyCount() const { return applyCount_; }

 private:
  bool adaptiveDegradation_ = true;
  bool appliedAdaptiveDegradation_ = true;
  int applyCount_ = 0;
};

// The graphics configuration of the current AutoCAD application (arx/acad_app.h).
AcGsConfig* acgsGetConfig();
