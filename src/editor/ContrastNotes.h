#pragma once
// "Contrast with…" on a colour marker: the next colour marker clicked is
// compared with it, and a note reading the contrast ratio is placed between
// the two.

namespace orv {

class Form1;

class ContrastNotes {
  public:
    explicit ContrastNotes(Form1& editor) : ed_(editor) {}
    /// Remembers colour marker `marker` as the first of the pair.
    void Begin(int marker);
    /// A left press on colour marker `marker`: when a comparison is waiting and
    /// this is another marker, places the note and returns its index (else 0).
    int Pick(int marker);
    bool Waiting() const { return from_ != 0; }

  private:
    Form1& ed_;
    int from_ = 0;
};

}  // namespace orv
