#!/usr/bin/python
# Stores or deletes one logo (an NV image under a key code) on a printer through pelliset.
from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
module: printer_logo
short_description: Store or delete a logo in a receipt printer's NV memory
description:
  - Makes sure the printer holds an NV image under a key code (I(state=present)) or holds none
    (I(state=absent)), with C(pelliset logo list), C(logo add) and C(logo delete).
  - A printer cannot give a stored image back, only the key codes it holds. So a logo is taken as
    present when its key code is held, whatever image is stored there; I(force=true) stores I(src)
    again all the same, and is then always reported as a change.
  - I(src) is read before the printer is asked, in check mode too, with C(bmp2nv) from beside
    C(pelliset) or on C(PATH), so that a file the real run would refuse fails the check.
version_added: "1.0.0"
author: Pelliset developers (!UNKNOWN)
extends_documentation_fragment:
  - pelliset.printers.pelliset
  - ansible.builtin.action_common_attributes
options:
  key:
    description:
      - The key code, two printable ASCII characters such as C("10") or C(AB). Quote key codes
        that are numbers, or YAML drops a leading zero.
    type: str
    required: true
  src:
    description:
      - The BMP file to store, on the host that runs the task. Needed for I(state=present).
    type: path
  state:
    description:
      - C(present) stores I(src) under I(key) unless the key code is already held; C(absent)
        deletes the image under I(key) if there is one.
    type: str
    choices: [present, absent]
    default: present
  force:
    description:
      - With I(state=present), store I(src) even when the key code is held, replacing the image
        there. The file is checked before the held image is deleted.
    type: bool
    default: false
  brightness:
    description:
      - How much lighter the image is made, 0-100, as C(pelliset logo add --brightness).
    type: int
    default: 0
attributes:
  check_mode:
    support: full
  platform:
    platforms: posix
  diff_mode:
    support: none
"""

EXAMPLES = r"""
- name: The shop's logo under key code 10
  pelliset.printers.printer_logo:
    printer: "{{ printer_address }}"
    key: "10"
    src: /etc/pelliset/logo.bmp
  delegate_to: localhost

- name: The new logo replaces whatever is stored under 10
  pelliset.printers.printer_logo:
    printer: "{{ printer_address }}"
    key: "10"
    src: /etc/pelliset/logo-2027.bmp
    force: true
  delegate_to: localhost

- name: No more seasonal logo
  pelliset.printers.printer_logo:
    printer: "{{ printer_address }}"
    key: XM
    state: absent
  delegate_to: localhost
"""

RETURN = r"""
key_codes:
  description: The key codes the printer held before the task.
  returned: success
  type: list
  elements: str
  sample: ["10", "XM"]
message:
  description: pelliset's message for the last command run.
  returned: success
  type: str
  sample: stored 1 image under 10
"""

import os

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.pelliset.printers.plugins.module_utils import pelliset


def check_bmp(module, path):
    """Fails the task for a file pelliset would refuse.

    bmp2nv (installed beside pelliset) reads it as pelliset does; without it only the file's
    first bytes are looked at.
    """
    beside = os.path.join(os.path.dirname(pelliset.executable(module)), "bmp2nv")
    bmp2nv = beside if os.access(beside, os.X_OK) else module.get_bin_path("bmp2nv")
    if bmp2nv:
        rc, _, err = module.run_command([bmp2nv, os.path.abspath(path), "-o", os.devnull])
        if rc != 0:
            module.fail_json(msg="src: " + (err.strip() or "%s is refused" % path))
        return
    try:
        with open(path, "rb") as f:
            first = f.read(2)
    except OSError as e:
        module.fail_json(msg="src: %s cannot be read: %s" % (path, e.strerror))
    if first != b"BM":
        module.fail_json(msg="src: %s is not a BMP file" % path)


def store(module, held):
    """Stores src under key; a held key's image is replaced (pelliset checks the file first)."""
    add = ["logo", "add", os.path.abspath(module.params["src"]), "--key", module.params["key"],
           "--brightness", str(module.params["brightness"])]
    return pelliset.run(module, add + ["--replace"] if held else add, changes_printer=True)


def main():
    module = AnsibleModule(
        argument_spec=pelliset.argument_spec(
            key=dict(type="str", required=True, no_log=False),
            src=dict(type="path"),
            state=dict(type="str", choices=["present", "absent"], default="present"),
            force=dict(type="bool", default=False),
            brightness=dict(type="int", default=0),
        ),
        required_if=[("state", "present", ["src"])],
        supports_check_mode=True,
    )
    key = module.params["key"]
    if len(key) != 2 or not all(" " <= c <= "~" for c in key):
        module.fail_json(msg="key: %r is not two printable ASCII characters" % key)
    present = module.params["state"] == "present"
    if present and not os.path.isfile(module.params["src"]):
        module.fail_json(msg="src: %s is not a file" % module.params["src"])
    # Checked here as pelliset would, so that check mode fails where the real run would.
    if not 0 <= module.params["brightness"] <= 100:
        module.fail_json(msg="brightness: %d is not 0-100" % module.params["brightness"])
    if present:
        check_bmp(module, module.params["src"])

    listing = pelliset.run(module, ["logo", "list"])
    key_codes = listing.get("key_codes") or []
    held = key in key_codes
    change = (not held or module.params["force"]) if present else held
    message = listing.get("message", "")
    if change and not module.check_mode:
        if present:
            message = store(module, held).get("message", "")
        else:
            # "--": a key code may begin with '-'.
            delete = ["logo", "delete", "--missing-ok", "--", key]
            message = pelliset.run(module, delete, changes_printer=True).get("message", "")
    module.exit_json(changed=change, key_codes=key_codes, message=message)


if __name__ == "__main__":
    main()
