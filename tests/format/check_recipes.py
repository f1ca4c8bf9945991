#!/usr/bin/env python3
"""Checks the recipes in docs/deploy against the program: the switches they pass (shell/cmdline.cpp),
the entry's key and the version (strings 72 and 51 of resources/setup.rc), and the exit codes they
list with what they take each for (shell/shell.h).   check_recipes.py SOURCE_DIR"""
import pathlib
import re
import sys

import yaml

root = pathlib.Path(sys.argv[1])
text = lambda path: (root / path).read_text()
recipe = lambda name: yaml.safe_load(text("docs/deploy/" + name))
strings = dict(re.findall(r'^\s*(\d+),\s*"(.*)"$', text("resources/setup.rc"), re.M))
key, version = strings["72"].replace("\\\\", "\\"), strings["51"]
switches = set(re.findall(r'"([A-Z?][A-Z-]*)"', text("shell/cmdline.cpp")))
exits = {name: int(code) for name, code in re.findall(r"kExit(\w+) = (\d+)", text("shell/shell.h"))}
means = {"Success": "Installed", "Soft reboot": "RestartNeeded", "rebootRequiredToFinish": "RestartNeeded",
         "Retry": "SetupInProgress", "installInProgress": "SetupInProgress", "invalidParameter": "BadCommandLine",
         "cancelledByUser": "Cancelled"}
errors = []


def expect(what, found, wanted):
    if found != wanted:
        errors.append("%s: %r, the program has %r" % (what, found, wanted))


def check(what, commands, codes, all_codes):  # codes: {code: what the recipe takes it for}
    for switch in re.findall(r"(?:^|\s)[/-]([^\s=]+)", " ".join(commands)):
        if switch.upper() not in switches:
            errors.append("%s: /%s is no switch of the program" % (what, switch))
    expect(what + " exit codes", sorted(codes), sorted(all_codes))
    for code, meaning in codes.items():
        expect("%s %s (%s)" % (what, code, meaning), code, exits.get(means.get(meaning), code))


for task in recipe("ansible-win_package.yml")[0]["tasks"]:
    package = task.get("ansible.windows.win_package")
    if package:
        expect("ansible product_id", package["product_id"], key.rsplit("\\", 1)[1])
        codes = dict.fromkeys(package["expected_return_code"])  # success, or success once restarted
        codes.update({int(code): "Retry" for code in re.findall(r"!= (\d+)", task["until"])})
        check("ansible", [package["arguments"]], codes,
              [exits["Installed"], exits["RestartNeeded"], exits["SetupInProgress"]])

winget = recipe("winget-Quorvex.OPOSMagneticStripeReader.yaml")
entry = winget["AppsAndFeaturesEntries"][0]
expect("winget", [winget["PackageVersion"], entry["DisplayVersion"]], [version] * 2)
expect("winget ProductCode", [winget["ProductCode"], entry["ProductCode"]], [key.rsplit("\\", 1)[1]] * 2)
check("winget", winget["InstallerSwitches"].values(),
      {code["InstallerReturnCode"]: code["ReturnResponse"] for code in winget["ExpectedReturnCodes"]},
      set(exits.values()) - {exits["Installed"]})

intune = recipe("endpoint-manager-win32-app.yaml")
rule = intune["Detection rules"]
expect("endpoint manager detection", [rule["Key path"], rule["Value name"], rule["Value"]],
       ["HKEY_LOCAL_MACHINE\\" + key, "DisplayVersion", version])
expect("endpoint manager version", intune["App information"]["App version"], version)
check("endpoint manager", [intune["Program"]["Install command"], intune["Program"]["Uninstall command"]],
      {code["Code"]: code["Type"] for code in intune["Program"]["Return codes"]}, exits.values())

print("\n".join(errors) or "recipes match the program: %s, version %s, exit codes %s"
      % (key, version, sorted(exits.values())))
sys.exit(1 if errors else 0)
