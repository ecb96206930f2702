# The options and notes every module of the collection shares.
from __future__ import absolute_import, division, print_function

__metaclass__ = type


class ModuleDocFragment(object):
    DOCUMENTATION = r"""
options:
  printer:
    description:
      - The printer's address as C(pelliset --printer) takes it, such as C(tcp://192.0.2.50:9100),
        C(/dev/usb/lp0), C(serial:/dev/ttyUSB0?baud=115200) or C(bt:/dev/rfcomm0).
      - A TCP/IP printer is given by IPv4 address, IPv6 address in brackets (C(tcp://[2001:db8::50]))
        or host name (C(tcp://till-1.shop.example)), looked up when pelliset runs.
    type: str
    required: true
  executable:
    description:
      - The pelliset program, a path or a name looked up on C(PATH).
    type: path
    default: pelliset
  timeout:
    description:
      - The most seconds pelliset may spend on the printer (C(pelliset --timeout)), 0.1 to 86400;
        a printer that takes longer fails and its link is closed.
      - Without it, only pelliset's limits for each step bound the task.
    type: float
notes:
  - The printers run no Ansible. Run the task on the control node, or on the machine the printer is
    attached to, with C(delegate_to), and keep the printer's address in a host variable, as the
    examples do with C(printer_address).
  - A printer that does not answer fails only its own host, after pelliset's own time limits.
requirements:
  - pelliset on the host that runs the task.
"""
