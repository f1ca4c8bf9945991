#!/usr/bin/env python3
"""Checks the deployment recipes in docs/deploy against the program itself: every switch they pass
is one the command line takes (shell/cmdline.cpp), the entry's key and the version are the string
table's (resources/setup.rc, 72 and 51), and every exit code they name is one the program ends
with (shell/shell.h), meaning what the recipe takes it for.
   check_recipes.py SOURCE_DIR"""
import pathlib
import re
import sys

import yaml

root = pathlib.Path(sys.argv[1])
text = lambda path: (root / path).read_text()
recipe = lambda name: yaml.safe_load(text("docs/deploy/" + name))
strings = dict(re.findall(r'^\s*(\d+),\s*"((?:[^"]|"")*)"', text("resources/setup.rc"), re.M))
entry_key, version = strings["72"].replace("\\\\", "\\"), strings["51"]
key_name = entry_key.rsplit("\\", 1)[-1]
switches = set(re.findall(r'"([A-Z?][A-Z-]*)"', text("shell/cmdline.cpp")))
exits = {name: int(code) for name, code in re.findall(r"kExit(\w+) = (\d+)", text("shell/shell.h"))}
means = {"Success": "Installed", "Soft reboot": "RestartNeeded", "rebootRequiredToFinish": "RestartNeeded",
         "Retry": "SetupInProgress", "installInProgress": "SetupInProgress",
         "invalidParameter": "BadCommandLine", "cancelledByUser": "Cancelled"}
errors = []


def expect(where, found, wanted):
    if found != wanted:
        errors.append("%s: %r, the program has %r" % (where, found, wanted))


def check_switches(where, command):
    for switch in re.findall(r"(?:^|\s)[/-]([^\s=]+)", command):
        if switch.upper() not in switches:
            errors.append("%s: /%s is no switch of the program" % (where, switch))


def check_codes(where, codes):  # {code: what the recipe takes it for}
    for code, meaning in codes.items():
        if code not in exits.values():
            errors.append("%s: %s is no exit code of the program" % (where, code))
        elif meaning in means:
            expect("%s %s (%s)" % (where, code, meaning), code, exits[means[meaning]])


for task in recipe("ansible-win_package.yml")[0]["tasks"]:
    package = task.get("ansible.windows.win_package")
    if package:
        expect("ansible product_id", package["product_id"], key_name)
        check_switches("ansible arguments", package["arguments"])
        check_codes("ansible expected_return_code", dict.fromkeys(package["expected_return_code"]))
        expect("ansible expected_return_code", package["expected_return_code"],
               [exits["Installed"], exits["RestartNeeded"]])
        expect("ansible retry on", re.findall(r"!= (\d+)", task["until"]), [str(exits["SetupInProgress"])])

winget = recipe("winget-Quorvex.OPOSMagneticStripeReader.yaml")
expect("winget PackageVersion", winget["PackageVersion"], version)
for field in ("Silent", "SilentWithProgress", "InstallLocation", "Log"):
    check_switches("winget " + field, winget["InstallerSwitches"][field])
for entry in [winget] + winget["AppsAndFeaturesEntries"]:
    expect("winget ProductCode", entry["ProductCode"], key_name)
expect("winget DisplayVersion", winget["AppsAndFeaturesEntries"][0]["DisplayVersion"], version)
codes = {code["InstallerReturnCode"]: code["ReturnResponse"] for code in winget["ExpectedReturnCodes"]}
check_codes("winget", codes)
expect("winget ExpectedReturnCodes", sorted(codes), sorted(set(exits.values()) - {exits["Installed"]}))

intune = recipe("endpoint-manager-win32-app.yaml")
for field in ("Install command", "Uninstall command"):
    check_switches("endpoint manager " + field, intune["Program"][field])
detection = intune["Detection rules"]
expect("endpoint manager key", detection["Key path"], "HKEY_LOCAL_MACHINE\\" + entry_key)
expect("endpoint manager value", detection["Value name"], "DisplayVersion")
expect("endpoint manager version", [detection["Value"], intune["App information"]["App version"]], [version] * 2)
codes = {code["Code"]: code["Type"] for code in intune["Program"]["Return codes"]}
check_codes("endpoint manager", codes)
expect("endpoint manager return codes", sorted(codes), sorted(exits.values()))

print("\n".join(errors) or "recipes match the program: entry %s, version %s, exit codes %s"
      % (key_name, version, sorted(exits.values())))
sys.exit(1 if errors else 0)
