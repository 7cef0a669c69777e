#!/usr/bin/env python3
"""Writes the help's keyboard reference from the program's own resource file, so that it
cannot drift from the keys the program has: every entry of the main accelerator table, and
the keys the menus name that work in the tree without being accelerators (Insert, Delete), and
the keys the tree and the panes take themselves (Enter, F2, Escape, Shift+F10, Tab).

  make_keyboard_page.py tarnwick.rc keyboard.html
"""
import html
import re
import sys

MODIFIERS = [('CONTROL', 'Ctrl'), ('SHIFT', 'Shift'), ('ALT', 'Alt')]
KEY_NAMES = {'VK_INSERT': 'Insert', 'VK_DELETE': 'Delete', 'VK_RETURN': 'Enter', 'VK_ESCAPE': 'Esc', 'VK_UP': 'Up',
             'VK_DOWN': 'Down'}
MENU_KEY_NAMES = {'Ins': 'Insert', 'Del': 'Delete'}
# Commands that no menu entry names, by what they do.
COMMAND_NAMES = {'CMD_FIND_PREVIOUS': 'Edit, Find Next, backward'}
# Keys the tree and the panes take themselves, outside the key table and the menus.
WINDOW_KEYS = [
    ('Enter', 'In the tree: to the value field of the Options tab. In a value field: stores the value, as Update does, and goes back to the tree'),
    ('F2', 'In the tree: to the value field of the Options tab'),
    ('Escape', 'In a value field: brings back the stored value and goes back to the tree'),
    ('Shift+F10', 'In the tree: the item menu at the selected item (the context-menu key does the same)'),
    ('Tab', 'Round the tree, the pane, the description and back (Shift+Tab: the other way)'),
    ('Ctrl+X, Ctrl+C, Ctrl+V, Ctrl+Z, Ctrl+A',
     'In a text field (a value field, Quick Config, a dialog): cut, copy, paste, undo and select all in that field, not in the tree'),
]


def block(rc, header):
    """The lines between BEGIN and END after a line starting with `header`, nested blocks kept."""
    lines = rc.splitlines()
    start = next(i for i, line in enumerate(lines) if line.strip().startswith(header))
    depth, body = 0, []
    for line in lines[start + 1:]:
        word = line.strip()
        if word == 'BEGIN':
            depth += 1
            if depth == 1:
                continue
        elif word == 'END':
            depth -= 1
            if depth == 0:
                break
        body.append(line)
    return body


def accelerators(rc):
    """(key as shown, command id) for every entry of IDA_MAIN, in the table's order."""
    keys = []
    for line in block(rc, 'IDA_MAIN ACCELERATORS'):
        fields = [field.strip() for field in line.split(',')]
        if len(fields) < 2 or not fields[0]:
            continue
        key = fields[0].strip('"') if fields[0].startswith('"') else fields[0]
        if key.startswith('VK_F'):
            key = key[3:]
        key = KEY_NAMES.get(key, key)
        shown = '+'.join([name for flag, name in MODIFIERS if flag in fields[2:]] + [key])
        keys.append((shown, fields[1]))
    return keys


def menu_entries(rc):
    """(menu, entry text, key text) for every menu entry of IDM_MAIN that names a key."""
    entries, menu = [], ''
    for line in block(rc, 'IDM_MAIN MENU'):
        popup = re.match(r'\s*POPUP\s+"([^"]*)"', line)
        if popup:
            menu = popup.group(1).replace('&', '')
            continue
        item = re.match(r'\s*MENUITEM\s+"([^"]*)"', line)
        if item and '\\t' in item.group(1):
            text, key = item.group(1).split('\\t', 1)
            entries.append((menu, text.replace('&', ''), MENU_KEY_NAMES.get(key, key)))
    return entries


def page(rc):
    entries = menu_entries(rc)
    rows = []
    for shown, command in accelerators(rc):
        named = [f'{menu}, {text}' for menu, text, key in entries if key == shown]
        rows.append((shown, named[0] if named else COMMAND_NAMES.get(command, command)))
    in_tree = [(key, f'{menu}, {text} (in the tree)') for menu, text, key in entries
               if key not in {shown for shown, _ in rows}]
    body = ''.join(f'<tr><td><b>{html.escape(key)}</b></td><td>{html.escape(what)}</td></tr>\n'
                   for key, what in rows + in_tree + WINDOW_KEYS)
    return f'''<html><head><title>Keyboard reference</title></head><body>
<h1>Keyboard reference</h1>
<p>These keys work anywhere in the main window. The list is made from the program's own key table when the help file is built.</p>
<table border="1" cellpadding="4" cellspacing="0">
<tr><th>Key</th><th>What it does</th></tr>
{body}</table>
<p>When a pane has the keyboard focus, Tab and Shift+Tab move from field to field, and Alt with the underlined letter of a button presses it (Alt+U: Update).</p>
<p><a href="index.html">Contents</a></p>
</body></html>
'''


def main():
    with open(sys.argv[1], encoding='latin-1') as rc:
        text = page(rc.read())
    with open(sys.argv[2], 'w', encoding='latin-1', newline='\r\n') as out:
        out.write(text)


if __name__ == '__main__':
    main()
