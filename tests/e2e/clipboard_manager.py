"""A minimal freedesktop clipboard manager: owns CLIPBOARD_MANAGER and, when
a client asks it to SAVE_TARGETS on its way out, fetches the clipboard's
text, answers the client and prints the text. Prints "ready" once it owns
the selection."""
import sys

from Xlib import X, Xatom, display
from Xlib.protocol import event

d = display.Display()
atom = lambda name: d.intern_atom(name)
manager, save_targets, clipboard, utf8 = (
    atom('CLIPBOARD_MANAGER'), atom('SAVE_TARGETS'), atom('CLIPBOARD'), atom('UTF8_STRING'))
stash = atom('DAYVANE_TEST_STASH')

win = d.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
win.set_selection_owner(manager, X.CurrentTime)
d.flush()
if d.get_selection_owner(manager) != win:
    sys.exit('could not own CLIPBOARD_MANAGER')
print('ready', flush=True)

while True:
    e = d.next_event()
    if e.type != X.SelectionRequest or e.selection != manager or e.target != save_targets:
        continue
    win.convert_selection(clipboard, utf8, stash, X.CurrentTime)
    d.flush()
    while True:
        n = d.next_event()
        if n.type == X.SelectionNotify and n.requestor == win:
            break
    saved = win.get_full_property(stash, X.AnyPropertyType) if n.property else None
    e.requestor.send_event(event.SelectionNotify(
        time=e.time, requestor=e.requestor, selection=manager, target=save_targets,
        property=e.property if saved else X.NONE))
    d.flush()
    text = saved.value.decode() if saved and isinstance(saved.value, bytes) else ''
    print(text, flush=True)
    break
