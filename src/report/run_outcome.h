// What the run found that its closing text and exit status depend on. Each finding is recorded
// where the report names it; the closing text is chosen from the answers at the end.
#pragma once

class RunOutcome {
 public:
  // A DLL was reported as to be recompiled.
  void RecordRecompile() { recompileNeeded_ = true; }
  // An item was named as not checked.
  void RecordNotChecked() { ++notChecked_; }
  // The debug privilege was refused, so that no host could be scanned.
  void RecordPrivilegeRefused() { privilegeRefused_ = true; }

  bool RecompileNeeded() const { return recompileNeeded_; }
  int NotCheckedCount() const { return notChecked_; }
  bool AllChecked() const { return notChecked_ == 0; }
  bool PrivilegeRefused() const { return privilegeRefused_; }
  // Incomplete whenever something was not checked, whatever else was found.
  int ExitStatus() const;

 private:
  bool recompileNeeded_ = false;
  int notChecked_ = 0;
  bool privilegeRefused_ = false;
};

// The outcome of this process's run, reached like the report itself from wherever a finding is
// reported. A test assigns it a fresh RunOutcome so that no case sees another's findings.
RunOutcome& ThisRun();
