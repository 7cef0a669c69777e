#!/usr/bin/env python3
"""Checks the compiled help file: every page the contents name is in it, every picture a page
shows is in it, and the keyboard reference names every key of the program's key table (and
Insert, Delete, Enter, F2, Escape and Shift+F10). Prints what is wrong; exits non-zero when anything is.

  check_help.py TarnwickHelp.chm tarnwick.rc [--report test-report.xml]
"""
import os
import re
import subprocess
import sys
import tempfile
from xml.sax.saxutils import escape


def chm_names(chm):
    listing = subprocess.run(['chmls', '-n', '-p', 'list', chm], capture_output=True, text=True, check=True).stdout
    return {line.strip().lstrip('/') for line in listing.splitlines() if line.strip().startswith('/')}


def extract(chm, name, directory):
    target = os.path.join(directory, name.replace('/', '_'))
    subprocess.run(['chmls', 'extract', chm, '/' + name, target], capture_output=True, check=True)
    with open(target, encoding='latin-1') as page:
        return page.read()


def accelerator_keys(rc):
    """The keys of the main accelerator table as a user reads them: Ctrl+S, F1."""
    table = re.search(r'IDA_MAIN\s+ACCELERATORS\s+BEGIN(.*?)\nEND', rc, re.S).group(1)
    keys = []
    for line in table.splitlines():
        fields = [field.strip() for field in line.split(',')]
        if len(fields) < 3:
            continue
        key = fields[0].strip('"')
        key = key[3:] if re.fullmatch(r'VK_F\d+', key) else key
        key = {'VK_UP': 'Up', 'VK_DOWN': 'Down'}.get(key, key)
        prefix = ('Ctrl+' if 'CONTROL' in fields else '') + ('Shift+' if 'SHIFT' in fields else '') + \
                 ('Alt+' if 'ALT' in fields else '')
        keys.append(prefix + key)
    return keys


def check(chm, rc_path):
    problems = {'pages': [], 'pictures': [], 'keys': []}
    names = chm_names(chm)
    with tempfile.TemporaryDirectory() as work:
        contents = extract(chm, 'contents.hhc', work)
        pages = re.findall(r'name="Local" value="([^"]+)"', contents)
        if not pages:
            problems['pages'].append('the contents name no page')
        for page in pages:
            if page not in names:
                problems['pages'].append(f'{page} is named in the contents but not in the help file')
        for page in sorted(name for name in names if name.endswith('.html')):
            for picture in re.findall(r'<img[^>]*src="([^"]+)"', extract(chm, page, work), re.I):
                if picture not in names:
                    problems['pictures'].append(f'{page} shows {picture}, which is not in the help file')
        keyboard = extract(chm, 'keyboard.html', work) if 'keyboard.html' in names else ''
    with open(rc_path, encoding='latin-1') as rc:
        keys = accelerator_keys(rc.read())
    if not keys:
        problems['keys'].append('no accelerators found in the resource file')
    for key in keys + ['Insert', 'Delete', 'Enter', 'F2', 'Escape', 'Shift+F10']:
        if f'<b>{key}</b>' not in keyboard:
            problems['keys'].append(f'{key} is not in the keyboard reference')
    return problems


def write_report(path, problems):
    cases = ''.join(
        f'<testcase name="{name}" classname="HelpFile">' +
        (f'<failure message="{escape(chr(10).join(found))}"/>' if found else '') + '</testcase>'
        for name, found in problems.items())
    failures = sum(1 for found in problems.values() if found)
    with open(path, 'w') as report:
        report.write(f'<?xml version="1.0"?>\n<testsuites tests="{len(problems)}" failures="{failures}" '
                     f'disabled="0" errors="0" name="help_check">\n<testsuite name="HelpFile" tests="{len(problems)}" '
                     f'failures="{failures}">{cases}</testsuite>\n</testsuites>\n')


def main():
    arguments = sys.argv[1:]
    report = None
    if '--report' in arguments:
        at = arguments.index('--report')
        report = arguments[at + 1]
        del arguments[at:at + 2]
    problems = check(*arguments)
    if report:
        os.makedirs(os.path.dirname(report), exist_ok=True)
        write_report(report, problems)
    for kind, found in problems.items():
        print(f'{kind}: ' + ('; '.join(found) if found else 'all there'))
    sys.exit(1 if any(problems.values()) else 0)


if __name__ == '__main__':
    main()
