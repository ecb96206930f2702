# Runs pelliset for the one printer a task names and reads the JSON line it writes for it.
from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json
import os


def argument_spec(**options):
    """The options every module of the collection takes, plus the module's own."""
    merged = dict(
        printer=dict(type="str", required=True),
        executable=dict(type="path", default="pelliset"),
        timeout=dict(type="float"),
    )
    merged.update(options)
    return merged


def executable(module):
    name = module.params["executable"]
    if os.sep in name:
        if not os.access(name, os.X_OK) or os.path.isdir(name):
            module.fail_json(msg="executable: %s is not a program that can be run" % name)
        return name
    return module.get_bin_path(name, required=True)


# Settings whose values stay out of a task's output: the Bluetooth PIN pairs any device with the
# printer, and task output and diffs are often kept in logs. The two sides differ, so that a diff
# still shows the change.
SECRET_KEYS = ("bluetooth.pin",)
MASKED_BEFORE = "********"
MASKED_AFTER = "******** (changed)"


def masked(reply):
    """The reply with the values of secret settings in its changes masked."""
    changes = reply.get("changes")
    if not changes:
        return reply
    shown = [dict(change, before=MASKED_BEFORE, after=MASKED_AFTER)
             if change.get("key") in SECRET_KEYS else change for change in changes]
    return dict(reply, changes=shown)


def may_have_changed(reply, changes_printer=False):
    """Whether a failed printer may hold something else now.

    pelliset says true when it knows (an image deleted before its replacement failed) and null
    when it cannot know; a null after it had set out to change something (a command that changes
    the printer, or a settings write with changes listed) counts as a change, so that a failed
    task never hides a printer that was partly written.
    """
    changed = reply.get("changed")
    if changed is None:
        return changes_printer or bool(reply.get("changes") or reply.get("replaced")
                                       or reply.get("stored"))
    return bool(changed)


def run(module, args, data=None, accept_failure=False, changes_printer=False):
    """Runs `pelliset --printer PRINTER --json --quiet ARGS` and returns the printer's JSON object.

    A printer that failed ends the task with pelliset's message, unless accept_failure; input that
    pelliset refused before contacting the printer (no JSON line, the reason on standard error)
    always does. changes_printer: ARGS store or delete something, so a failure whose outcome
    pelliset cannot know is reported as a change.
    """
    command = [executable(module), "--printer", module.params["printer"], "--json", "--quiet"]
    if module.params["timeout"] is not None:
        command += ["--timeout", "%g" % module.params["timeout"]]
    command += args
    rc, out, err = module.run_command(command, data=data)
    reply = None
    for line in out.splitlines():
        if not line.strip():
            continue
        try:
            reply = json.loads(line)
        except ValueError:
            module.fail_json(msg="pelliset wrote a line that is not JSON: %s" % line, cmd=command,
                             rc=rc)
    if not isinstance(reply, dict):
        reason = err.strip() or "no answer on standard output"
        module.fail_json(msg="pelliset ended with status %d: %s" % (rc, reason), cmd=command, rc=rc)
    reply = masked(reply)
    if reply.get("result") != "ok" and not accept_failure:
        module.fail_json(msg=reply.get("message") or "pelliset reported a failure", cmd=command,
                         rc=rc, pelliset=reply,
                         changed=may_have_changed(reply, changes_printer))
    return reply
