#include "platform/controls.h"

namespace vantrel {

ListPicks::Outcome ListPicks::Notify(Note note, int sel, bool enabled) {
    const bool moved = sel != known_;
    if (!enabled) return moved ? Outcome::PutBack : Outcome::None;
    bool pick = false;
    switch (note) {
    case Note::DropDown:
        dropped_ = true;
        movedWhileDropped_ = false;
        break;
    case Note::SelChange:
        // While the list is open the arrow keys and the pointer move the
        // selection and the list reports every step; only the entry finally
        // taken counts. With the list closed every change is a pick.
        pick = !dropped_ && moved;
        break;
    case Note::SelEndOk:
        // Taking the entry a change made elsewhere brought is no pick: the
        // setting is already what it shows. Any other entry taken is one,
        // the one already shown included.
        pick = dropped_ && (moved || !movedWhileDropped_);
        break;
    case Note::CloseUp:
        // Closed without taking an entry but showing another one: the user
        // moved it (a pick), or the list went back to what it showed before
        // the program's own selection (no pick; the setting is shown again).
        dropped_ = false;
        if (moved && movedWhileDropped_) return Outcome::PutBack;
        pick = moved;
        break;
    }
    if (!pick) return Outcome::None;
    known_ = sel;
    return Outcome::Pick;
}

void ListPicks::SelectedByProgram(int sel) {
    known_ = sel;
    if (dropped_) movedWhileDropped_ = true;
}

}  // namespace vantrel
