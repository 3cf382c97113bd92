#!/usr/bin/env bash
# What a screen reader finds through AT-SPI on the Overview and Settings pages: the page title as
# a heading, the thermal state by its text, each metric row as one list item with name and
# value, and each drop-down by its label, never by its current value.
# Usage: atspi_walk.sh PROGRAM
source "$(dirname "$0")/lib.sh"
python=/usr/bin/python3
"$python" -c "import gi; gi.require_version('Atspi', '2.0')" 2>/dev/null ||
  { echo "$script: skipped (python3-gi with gir1.2-atspi-2.0 is missing)"; exit 77; }
[ -x /usr/libexec/at-spi-bus-launcher ] || { echo "$script: skipped (at-spi2-core is missing)"; exit 77; }
start_display
start_bus
skip_onboarding
env -i PATH="$PATH" HOME="$home" DISPLAY="$display" LANG=C.UTF-8 \
  XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" XDG_RUNTIME_DIR="$home" \
  DBUS_SESSION_BUS_ADDRESS="$bus" QT_QUICK_BACKEND=software QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
  "$app" >"$home/app.log" 2>&1 &
started+=($!)
wait_for "the dashboard" shown Tempyra
sleep 3

DBUS_SESSION_BUS_ADDRESS=$bus DISPLAY=$display "$python" - Tempyra <<'PY' || fail "AT-SPI walk"
import sys, time
import gi
gi.require_version("Atspi", "2.0")
from gi.repository import Atspi

program = sys.argv[1]

def children():
    desktop = Atspi.get_desktop(0)
    return [desktop.get_child_at_index(i) for i in range(desktop.get_child_count())]

def applications():
    # The tray process and the windows process both carry the program's name.
    for _ in range(30):
        found = [app for app in children() if app is not None and app.get_name() == program]
        if found:
            return found
        time.sleep(0.3)
    return []

def walk(node, depth=0, out=None):
    out = [] if out is None else out
    if node is None or depth > 60:
        return out
    try:
        out.append((node.get_role_name(), node.get_name() or "", node))
        for i in range(node.get_child_count()):
            walk(node.get_child_at_index(i), depth + 1, out)
    except Exception:
        pass
    return out

def tree():
    apps = applications()
    if not apps:
        names = [desktop_child.get_name() for desktop_child in children()]
        sys.exit(f"{program} is not on the accessibility bus (found: {names})")
    out = []
    for app in apps:
        walk(app, 0, out)
    return out

failures = []
def expect(nodes, what, test):
    if not any(test(role, name) for role, name, _ in nodes):
        failures.append(what)

def page(title):
    for _ in range(30):
        nodes = tree()
        if any(r == "heading" and n == title for r, n, _ in nodes):
            return nodes
        time.sleep(0.3)
    return tree()

nodes = page("Overview")
expect(nodes, "the page title as a heading", lambda r, n: r == "heading" and n == "Overview")
expect(nodes, "a panel title as a heading", lambda r, n: r == "heading" and n == "Temperature & fans")
expect(nodes, "the thermal state by its text",
       lambda r, n: n in ("Nominal", "Fair", "Serious", "Critical", "Unknown", "Waiting"))
expect(nodes, "a metric row as name and value",
       lambda r, n: r == "list item" and n.startswith("CPU temperature: "))
expect(nodes, "the appearance drop-down by its label", lambda r, n: r == "combo box" and n == "Appearance")

# Open Settings through its sidebar button, as a screen reader would.
for role, name, node in nodes:
    if role in ("push button", "button") and name == "Settings":
        Atspi.Action.do_action(node, 0)
        break
nodes = page("Settings")
expect(nodes, "the Settings title as a heading", lambda r, n: r == "heading" and n == "Settings")
expect(nodes, "the unit drop-down by its label",
       lambda r, n: r == "combo box" and n == "Temperature units")
if any(r == "combo box" and n in ("Celsius", "Fahrenheit", "Light", "Dark", "System")
       for r, n, _ in nodes):
    failures.append("a drop-down is named by its current value")
if failures:
    for role, name, _ in nodes:
        print(f"  {role}: {name}", file=sys.stderr)
    sys.exit("missing: " + "; ".join(failures))
PY
echo "$script: ok"
