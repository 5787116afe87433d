// Which of a drop-down list's notifications make a pick: one pick per choice
// in either order the systems send them, and nothing picked that the user
// did not take.
#include "fakes.h"

namespace vantrel {
namespace {

using Note = ListPicks::Note;

struct Step {
    enum { Notify, Program } kind;
    Note note;
    int sel;
    bool enabled = true;
};
Step N(Note note, int sel, bool enabled = true) { return {Step::Notify, note, sel, enabled}; }
Step Program(int sel) { return {Step::Program, Note::DropDown, sel}; }

// The outcome of each notification: P a pick, B put back, . nothing.
std::string Outcomes(const std::vector<Step>& steps) {
    ListPicks picks;
    picks.SelectedByProgram(0);  // filled from the registry
    std::string out;
    for (const Step& s : steps) {
        if (s.kind == Step::Program) {
            picks.SelectedByProgram(s.sel);
            continue;
        }
        switch (picks.Notify(s.note, s.sel, s.enabled)) {
        case ListPicks::Outcome::Pick: out += 'P'; break;
        case ListPicks::Outcome::PutBack: out += 'B'; break;
        case ListPicks::Outcome::None: out += '.'; break;
        }
    }
    return out;
}

TEST(ListPicks, OneChoiceIsOnePick) {
    const Note D = Note::DropDown, S = Note::SelChange, K = Note::SelEndOk, C = Note::CloseUp;
    const struct { const char* name; std::vector<Step> steps; std::string outcome; } rows[] = {
        {"closed list, an arrow key", {N(S, 1)}, "P"},
        {"closed list, two arrow keys", {N(S, 1), N(S, 0)}, "PP"},
        {"a click in the open list, Wine's order", {N(D, 0), N(K, 1), N(C, 1), N(S, 1)}, ".P.."},
        {"a click in the open list, the change first", {N(D, 0), N(S, 1), N(K, 1), N(C, 1)}, "..P."},
        {"arrows in the open list, then Enter", {N(D, 0), N(S, 1), N(S, 2), N(K, 2), N(C, 2)}, "...P."},
        {"arrows in the open list, then Escape: another entry shown", {N(D, 0), N(S, 1), N(C, 1)}, "..P"},
        {"the shown entry taken again", {N(D, 0), N(K, 0), N(C, 0)}, ".P."},
        {"opened and closed", {N(D, 0), N(C, 0)}, ".."},
    };
    for (const auto& r : rows) EXPECT_EQ(Outcomes(r.steps), r.outcome) << r.name;
}

// The registry changed elsewhere while the list was open, and the program
// showed it in the list: closing the list does not write it back.
TEST(ListPicks, AChangeShownWhileTheListIsOpenIsNoPick) {
    const Note D = Note::DropDown, S = Note::SelChange, K = Note::SelEndOk, C = Note::CloseUp;
    const struct { const char* name; std::vector<Step> steps; std::string outcome; } rows[] = {
        {"then Escape or a click outside", {N(D, 0), Program(2), N(C, 2)}, ".."},
        {"then Enter on the entry it brought", {N(D, 0), Program(2), N(K, 2), N(C, 2), N(S, 2)}, "...."},
        {"then another entry taken", {N(D, 0), Program(2), N(S, 1), N(K, 1), N(C, 1)}, "..P."},
        {"then the list going back to what it showed before", {N(D, 0), Program(2), N(C, 0)}, ".B"},
        {"shown while closed: a later arrow key still picks", {Program(2), N(S, 1)}, "P"},
    };
    for (const auto& r : rows) EXPECT_EQ(Outcomes(r.steps), r.outcome) << r.name;
}

// A greyed list still moves on keys sent to it; what it showed is put back,
// and the decision holds even if the list is enabled before it is acted on.
TEST(ListPicks, AGreyedListThatMovesIsPutBackNeverPicked) {
    const Note S = Note::SelChange;
    EXPECT_EQ(Outcomes({N(S, 1, false), N(S, 2, false)}), "BB");
    EXPECT_EQ(Outcomes({N(S, 1, false), Program(0), N(S, 0, false)}), "B.");
}

}  // namespace
}  // namespace vantrel
