#!/usr/bin/python
# Writes a printer's settings through pelliset, only those that differ.
from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
module: printer_settings
short_description: Set a receipt printer's stored settings
description:
  - Reads the printer's settings and writes back those that differ from the ones given, with
    C(pelliset settings set). Settings not given keep the printer's values.
  - In check mode the differences are found (C(pelliset --dry-run)) and nothing is written.
  - With C(--diff) the changed keys are shown with their values before and after.
  - A task that fails after the write began reports C(changed), as the printer may hold part of
    the new settings; the task's C(pelliset) result lists what was to change.
  - The Bluetooth PIN (C(bluetooth.pin)) shows as C(********) in I(changes) and the diff. Ansible
    may still log the task's arguments; keep a PIN in a vault variable.
version_added: "1.0.0"
author: Pelliset developers (!UNKNOWN)
extends_documentation_fragment:
  - pelliset.printers.pelliset
  - ansible.builtin.action_common_attributes
options:
  settings:
    description:
      - The settings to give the printer, pelliset's keys (C(print.density), C(power.off_minutes),
        ...; see C(man pelliset)) and their values.
      - YAML reads an unquoted C(on) or C(off) as a boolean; booleans are given to the printer as
        C(on) and C(off), whole numbers as their digits.
      - Quote texts that look like numbers (a Bluetooth PIN, a name, a track code) - YAML reads
        an unquoted C(0123) as the number 83.
      - Exactly one of I(settings) and I(src) is given.
    type: dict
  src:
    description:
      - A settings file on the host that runs the task, ini or JSON, as C(pelliset settings get)
        writes it.
    type: path
attributes:
  check_mode:
    support: full
  platform:
    platforms: posix
  diff_mode:
    support: full
"""

EXAMPLES = r"""
# inventory: printers with a host variable printer_address, e.g.
#   counter1 printer_address=tcp://192.0.2.50:9100
- name: Darker print and a longer power-off time
  pelliset.printers.printer_settings:
    printer: "{{ printer_address }}"
    settings:
      print.density: 120%
      power.off_minutes: 30
      beep.low_battery: "off"
  delegate_to: localhost

- name: The shop's settings file
  pelliset.printers.printer_settings:
    printer: "{{ printer_address }}"
    src: /etc/pelliset/shop.ini
  delegate_to: localhost
"""

RETURN = r"""
changes:
  description: The settings that differ (in check mode, that would change); the Bluetooth PIN's
    values are masked.
  returned: success
  type: list
  elements: dict
  sample: [{"key": "print.density", "before": "100%", "after": "120%"}]
message:
  description: pelliset's message for the printer (on failure it is the task's C(msg)).
  returned: success
  type: str
  sample: 1 setting changed
"""

import json
import os

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.pelliset.printers.plugins.module_utils import pelliset


def settings_text(module, settings):
    """The settings as the JSON settings file pelliset reads on standard input."""
    values = {}
    for key, value in settings.items():
        if isinstance(value, bool):
            values[key] = "on" if value else "off"
        elif isinstance(value, (str, int)):
            values[key] = str(value)
        else:
            module.fail_json(msg="settings: %s needs a text or a whole number, not %r"
                             % (key, value))
    return json.dumps({"format_version": 1, "settings": values})


def diff_text(changes, side):
    return "".join("%s: %s\n" % (change["key"], change[side]) for change in changes)


def main():
    module = AnsibleModule(
        argument_spec=pelliset.argument_spec(settings=dict(type="dict"), src=dict(type="path")),
        mutually_exclusive=[("settings", "src")],
        required_one_of=[("settings", "src")],
        supports_check_mode=True,
    )
    args = ["settings", "set"]
    if module.check_mode:
        args.append("--dry-run")
    data = None
    if module.params["src"] is not None:
        src = os.path.abspath(module.params["src"])
        if not os.path.isfile(src):
            module.fail_json(msg="src: %s is not a file" % src)
        args.append(src)
    else:
        args.append("-")
        data = settings_text(module, module.params["settings"])

    reply = pelliset.run(module, args, data=data)
    changes = reply.get("changes") or []
    # A dry run changes nothing and says so; what it would change is the check's answer.
    changed = bool(changes) if module.check_mode else bool(reply.get("changed"))
    result = dict(changed=changed, changes=changes, message=reply.get("message", ""))
    if module._diff:
        printer = module.params["printer"]
        result["diff"] = dict(before=diff_text(changes, "before"), after=diff_text(changes, "after"),
                              before_header=printer, after_header=printer)
    module.exit_json(**result)


if __name__ == "__main__":
    main()
