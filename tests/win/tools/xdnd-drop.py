#!/usr/bin/env python3
"""Drops files onto the window under a screen point the way a file manager
does, through the X drag-and-drop protocol (XDND version 5, one type:
"text/uri-list"). Usage: xdnd-drop.py X Y PATH...

Exits 0 when the target accepted and finished the drop, 2 when it refused
it, 1 on any other failure. Every wait is bounded."""
import os
import sys
import time
import urllib.parse

from Xlib import X, Xatom, display
from Xlib.protocol import event

TIMEOUT = 5.0


def main():
    x, y = int(sys.argv[1]), int(sys.argv[2])
    uris = ''.join('file://' + urllib.parse.quote(os.path.abspath(p)) + '\r\n' for p in sys.argv[3:])
    d = display.Display()
    root = d.screen().root
    atom = lambda name: d.intern_atom(name)
    aware, selection = atom('XdndAware'), atom('XdndSelection')
    enter, position, status, drop, finished, leave = (atom('Xdnd' + n) for n in
                                                       ('Enter', 'Position', 'Status', 'Drop', 'Finished', 'Leave'))
    copy, uri_list = atom('XdndActionCopy'), atom('text/uri-list')

    source = root.create_window(-10, -10, 1, 1, 0, X.CopyFromParent, event_mask=X.PropertyChangeMask)
    source.set_selection_owner(selection, X.CurrentTime)

    # The top-level window under the point that speaks XDND.
    root.warp_pointer(x, y)
    d.sync()
    target = None
    window = root
    while True:
        pointer = window.query_pointer()
        child = pointer.child
        if not child or child == X.NONE:
            break
        if child.get_full_property(aware, Xatom.ATOM):
            target = child
            break
        window = child
    if target is None:
        print('xdnd-drop: no XDND window under the point', file=sys.stderr)
        return 1

    def send(kind, data):
        target.send_event(event.ClientMessage(window=target, client_type=kind, data=(32, data)))
        d.flush()

    def serve(wanted, deadline):
        """Answers selection requests until a client message of `wanted`
        arrives; returns it, or None when the time is up."""
        while time.time() < deadline:
            while d.pending_events():
                e = d.next_event()
                if e.type == X.SelectionRequest:
                    prop = e.property if e.property != X.NONE else e.target
                    if e.target == uri_list:
                        e.requestor.change_property(prop, e.target, 8, uris.encode())
                    else:
                        prop = X.NONE
                    e.requestor.send_event(event.SelectionNotify(time=e.time, requestor=e.requestor,
                                                                 selection=e.selection, target=e.target,
                                                                 property=prop))
                    d.flush()
                elif e.type == X.ClientMessage and e.client_type == wanted:
                    return e
            time.sleep(0.01)
        return None

    sid = source.id
    send(enter, [sid, 5 << 24, uri_list, 0, 0])
    send(position, [sid, 0, (x << 16) | y, X.CurrentTime, copy])
    answer = serve(status, time.time() + TIMEOUT)
    if answer is None:
        print('xdnd-drop: no status from the target', file=sys.stderr)
        return 1
    if not answer.data[1][1] & 1:
        send(leave, [sid, 0, 0, 0, 0])
        print('xdnd-drop: the target refused the drop', file=sys.stderr)
        return 2
    send(drop, [sid, 0, X.CurrentTime, 0, 0])
    if serve(finished, time.time() + TIMEOUT) is None:
        print('xdnd-drop: the target did not finish the drop', file=sys.stderr)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
