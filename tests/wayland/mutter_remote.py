#!/usr/bin/python3
# The headless GNOME compositor, seen and typed at through its own remote
# interfaces, as a screen-sharing or remote-desktop program would:
#   mutter_remote.py capture CONNECTOR OUT.ppm   one frame of the monitor, through PipeWire
#   mutter_remote.py key                         a key pressed and released on the seat
#   mutter_remote.py pointer                     the pointer put at each X,Y read from stdin
# and a stand-in for the session manager's inhibitors, as a video player holds one:
#   mutter_remote.py session-manager             serves them until it is ended
#   mutter_remote.py inhibit                     holds an idle inhibitor until it is ended
import itertools
import subprocess
import sys
import time

from gi.repository import Gio, GLib

bus = Gio.bus_get_sync(Gio.BusType.SESSION)
XK_x = 0x78


def call(name, path, interface, method, arguments=None, reply='()'):
    return bus.call_sync(name, path, interface, method, arguments, GLib.VariantType(reply),
                         Gio.DBusCallFlags.NONE, 10000).unpack()


# A method of mutter's remote interfaces: CreateSession on the service, or
# Session.NAME on a session.
def mutter(service, member, path, arguments=None, reply='()'):
    interface, _, method = ('org.gnome.Mutter.%s.%s' % (service, member)).rpartition('.')
    return call('org.gnome.Mutter.' + service, path, interface, method, arguments, reply)


def capture(connector, out):
    session = mutter('ScreenCast', 'CreateSession', '/org/gnome/Mutter/ScreenCast',
                     GLib.Variant('(a{sv})', ({},)), '(o)')[0]
    stream = mutter('ScreenCast', 'Session.RecordMonitor', session,
                    GLib.Variant('(sa{sv})', (connector, {'cursor-mode': GLib.Variant('u', 0)})), '(o)')[0]
    node = []
    loop = GLib.MainLoop()
    bus.signal_subscribe(None, 'org.gnome.Mutter.ScreenCast.Stream', 'PipeWireStreamAdded', stream, None,
                         Gio.DBusSignalFlags.NONE, lambda *signal: (node.append(signal[5].unpack()[0]), loop.quit()))
    mutter('ScreenCast', 'Session.Start', session)
    GLib.timeout_add_seconds(10, loop.quit)
    loop.run()
    if not node:
        sys.exit('mutter_remote: no PipeWire stream for ' + connector)
    raw = subprocess.run(['gst-launch-1.0', '-q', 'pipewiresrc', 'path=%d' % node[0], 'num-buffers=1', '!',
                          'video/x-raw,format=BGRx', '!', 'fdsink'], capture_output=True, timeout=10).stdout
    size = call('org.gnome.Mutter.ScreenCast', stream, 'org.freedesktop.DBus.Properties', 'Get',
                GLib.Variant('(ss)', ('org.gnome.Mutter.ScreenCast.Stream', 'Parameters')), '(v)')[0]['size']
    mutter('ScreenCast', 'Session.Stop', session)
    width, height = size
    if len(raw) != width * height * 4:
        sys.exit('mutter_remote: %d bytes for a %dx%d frame' % (len(raw), width, height))
    rgb = bytearray(width * height * 3)
    rgb[0::3], rgb[1::3], rgb[2::3] = raw[2::4], raw[1::4], raw[0::4]
    with open(out, 'wb') as image:
        image.write(b'P6\n%d %d\n255\n' % (width, height) + rgb)


# The seat gains its keyboard with the first key, which clients that bind it
# then see as held: the second is the one typed.
def key():
    session = mutter('RemoteDesktop', 'CreateSession', '/org/gnome/Mutter/RemoteDesktop', None, '(o)')[0]
    mutter('RemoteDesktop', 'Session.Start', session)
    for _ in range(2):
        for pressed in (True, False):
            mutter('RemoteDesktop', 'Session.NotifyKeyboardKeysym', session, GLib.Variant('(ub)', (XK_x, pressed)))
        time.sleep(0.5)
    mutter('RemoteDesktop', 'Session.Stop', session)


# The pointer moved by relative motion, which mutter applies as it comes (its
# absolute motion is smoothed), to each X,Y read from stdin, in the layout's
# pixels, saying "at" for each. It starts from the layout's top-left corner
# and goes back there when stdin ends. A client sees the pointer from its
# first event on, where that takes it.
def pointer():
    session = mutter('RemoteDesktop', 'CreateSession', '/org/gnome/Mutter/RemoteDesktop', None, '(o)')[0]
    mutter('RemoteDesktop', 'Session.Start', session)

    def move(dx, dy):
        mutter('RemoteDesktop', 'Session.NotifyPointerMotionRelative', session, GLib.Variant('(dd)', (dx, dy)))
        time.sleep(0.5)

    at = None
    for line in sys.stdin:
        x, y = (int(v) for v in line.split(','))
        if at is None:
            # The first event brings the pointer to the seat; clients bind it
            # then, and newer mutter tells them where it is at the next one.
            move(x, y)
            move(0, 0)
        else:
            move(x - at[0], y - at[1])
        at = (x, y)
        print('at', flush=True)
    move(-100000, -100000)
    mutter('RemoteDesktop', 'Session.Stop', session)


SESSION_MANAGER = """<node><interface name="org.gnome.SessionManager">
  <method name="Inhibit"><arg type="s"/><arg type="u"/><arg type="s"/><arg type="u"/><arg type="u" direction="out"/></method>
  <method name="IsInhibited"><arg type="u"/><arg type="b" direction="out"/></method>
  <signal name="InhibitorAdded"><arg type="o"/></signal>
  <signal name="InhibitorRemoved"><arg type="o"/></signal>
</interface></node>"""
INHIBIT_IDLE = 8


# Inhibitors by cookie: their flags, dropped when the program that holds one leaves the bus.
def session_manager():
    held = {}
    cookies = itertools.count(1)

    def changed(signal, cookie):
        bus.emit_signal(None, '/org/gnome/SessionManager', 'org.gnome.SessionManager', signal,
                        GLib.Variant('(o)', ('/org/gnome/SessionManager/Inhibitor%d' % cookie,)))

    def vanished(_bus, sender):
        for cookie in [cookie for cookie, (owner, _) in held.items() if owner == sender]:
            del held[cookie]
            changed('InhibitorRemoved', cookie)

    def method(_bus, sender, _path, _interface, name, parameters, invocation):
        if name == 'Inhibit':
            cookie = next(cookies)
            held[cookie] = (sender, parameters.unpack()[3])
            Gio.bus_watch_name_on_connection(bus, sender, Gio.BusNameWatcherFlags.NONE, None, vanished)
            invocation.return_value(GLib.Variant('(u)', (cookie,)))
            changed('InhibitorAdded', cookie)
        else:
            flags = parameters.unpack()[0]
            invocation.return_value(GLib.Variant('(b)', (any(f & flags for _, f in held.values()),)))

    interface = Gio.DBusNodeInfo.new_for_xml(SESSION_MANAGER).interfaces[0]
    bus.register_object('/org/gnome/SessionManager', interface, method, None, None)
    Gio.bus_own_name_on_connection(bus, 'org.gnome.SessionManager', Gio.BusNameOwnerFlags.NONE,
                                   lambda *_: print('serving', flush=True), None)
    GLib.MainLoop().run()


def inhibit():
    call('org.gnome.SessionManager', '/org/gnome/SessionManager', 'org.gnome.SessionManager', 'Inhibit',
         GLib.Variant('(susu)', ('aurilo-test', 0, 'a video plays', INHIBIT_IDLE)), '(u)')
    print('inhibiting', flush=True)
    GLib.MainLoop().run()


{'capture': lambda: capture(sys.argv[2], sys.argv[3]), 'key': key, 'pointer': pointer, 'session-manager': session_manager,
 'inhibit': inhibit}[sys.argv[1]]()
