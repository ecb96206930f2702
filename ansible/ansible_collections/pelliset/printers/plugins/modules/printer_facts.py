#!/usr/bin/python
# Gathers what a printer tells about itself through pelliset, as facts.
from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
module: printer_facts
short_description: Gather a receipt printer's identity, settings and stored logos
description:
  - Asks the printer for its model, maker and firmware (C(pelliset identify)), reads every setting
    (C(pelliset settings get)) and lists the key codes of its logos (C(pelliset logo list)), and
    returns them as the fact C(pelliset_printer).
  - Only reads; runs the same in check mode.
  - The settings are given as the printer reports them, the Bluetooth PIN (C(bluetooth.pin))
    among them.
version_added: "1.0.0"
author: Pelliset developers (!UNKNOWN)
extends_documentation_fragment:
  - pelliset.printers.pelliset
  - ansible.builtin.action_common_attributes
  - ansible.builtin.action_common_attributes.facts
attributes:
  check_mode:
    support: full
  diff_mode:
    support: none
  platform:
    platforms: posix
  facts:
    support: full
"""

EXAMPLES = r"""
- name: What each printer is and holds
  pelliset.printers.printer_facts:
    printer: "{{ printer_address }}"
  delegate_to: localhost

- name: Printers still on the older firmware
  ansible.builtin.debug:
    msg: "{{ inventory_hostname }}: {{ pelliset_printer.firmware }}"
  when: pelliset_printer.generation == "older"
"""

RETURN = r"""
ansible_facts:
  description: The printer's facts.
  returned: success
  type: complex
  contains:
    pelliset_printer:
      description: The printer's identity, settings and logos.
      returned: success
      type: dict
      sample:
        address: tcp://192.0.2.50:9100
        model: TMQ-D550
        maker: KORVANE
        firmware: TMQ-D550 Ver1.60 090216
        generation: newer
        settings: {"print.density": "100%", "power.off_minutes": "15"}
        logos: ["10"]
"""

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.pelliset.printers.plugins.module_utils import pelliset


def main():
    module = AnsibleModule(argument_spec=pelliset.argument_spec(), supports_check_mode=True)
    identity = pelliset.run(module, ["identify"])
    facts = dict(address=module.params["printer"])
    for field in ("model", "maker", "firmware", "generation"):
        facts[field] = identity.get(field)
    facts["settings"] = pelliset.run(module, ["settings", "get"]).get("settings") or {}
    facts["logos"] = pelliset.run(module, ["logo", "list"]).get("key_codes") or []
    module.exit_json(changed=False, ansible_facts=dict(pelliset_printer=facts))


if __name__ == "__main__":
    main()
