# Sourced by the scripts that need a session bus of their own.
#
# start_private_bus WORKDIR: starts a dbus-daemon for the session (BUS_PID) listening
# in XDG_RUNTIME_DIR, and exports DBUS_SESSION_BUS_ADDRESS. Its configuration is its
# own and names no service folders, so nothing installed on the machine (a real
# portal, a real tray) is ever started on it. Returns 1 when it does not come up.
start_private_bus() {
    local work="$1"
    cat >"$work/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=$XDG_RUNTIME_DIR/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
    dbus-daemon --config-file="$work/bus.conf" --nofork >"$work/bus.log" 2>&1 &
    export BUS_PID=$!
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/bus"
    for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/bus" ] && return 0; sleep 0.1; done
    cat "$work/bus.log"
    return 1
}
