#!/usr/bin/env python3
"""Builds Tarnwick's installation package: setup.txt generated from templates.tsv and the
settings below, and, with --files, the folder a user unpacks (the script, the programs, the
help file, the starting configuration and the text pages).

  make_package.py --out DIR [--version 1.0] [--files Tarnwick.exe Setup.exe TarnwickHelp.chm]
"""
import argparse
import math
import os
import shutil

HERE = os.path.dirname(os.path.abspath(__file__))
TEMPLATES_KEY = 'HKEY_LOCAL_MACHINE\\SOFTWARE\\Velmora\\Tarnwick\\Templates'
CONFIG_KEY = 'HKEY_LOCAL_MACHINE\\SOFTWARE\\Velmora\\Tarnwick\\Config'
LIST_KEY = CONFIG_KEY + '\\TemplateList'
QUICK_KEY = 'HKEY_LOCAL_MACHINE\\SOFTWARE\\Velmora\\Tarnwick\\QuickConfig'
PANES = {'General': 117, 'YesNo': 118, 'OnOff': 119, 'Number': 120, 'Directory': 123, 'DirectoryBackslash': 124}
PANE_LABELS = [('Plain text', 117), ('Yes or No', 118), ('On or Off', 119), ('Number from 0 to 32767', 120),
               ('Directory, written with /', 123), ('Directory, written with \\', 124)]
CONF_FILES = ['httpd.conf-dist-win', 'access.conf-dist-win', 'srm.conf-dist-win']
TEXT_PAGES = ['legal.txt', 'readme.txt', 'ureadme.txt']
PRESETS = [('ServerRoot', 'C:/Program Files/Apache Group/Apache'),
           ('DocumentRoot', 'C:/Program Files/Apache Group/Apache/htdocs'),
           ('Port', '80'), ('ServerAdmin', 'admin@localhost'), ('ServerType', 'Windows')]
MAX_DESCRIPTION = 10239
PUBLISHER = 'Velmora'


def describe(what, syntax, context, module, apache_default):
    """A template's description: what the name does, then its syntax, where it may stand, its
    module and Apache's default, each a sentence of its own. File items carry only the first."""
    if not syntax:
        return what
    def sentence(text):
        return text if text.endswith('.') else text + '.'
    return '%s Syntax: %s Where: %s Module: %s Default: %s' % (
        what, sentence(syntax), sentence(context), sentence(module), sentence(apache_default or 'none'))


def read_templates():
    rows = []
    with open(os.path.join(HERE, 'templates.tsv'), encoding='utf-8') as table:
        for line in table:
            line = line.rstrip('\n')
            if not line or line.startswith('#') or line.startswith('name\t'):
                continue
            name, pane, rank, default, syntax, context, module, apache_default, what = line.split('\t')
            if pane not in PANES:
                raise SystemExit('unknown pane %s for %s' % (pane, name))
            description = describe(what, syntax, context, module, apache_default)
            if len(description) > MAX_DESCRIPTION or 'KelSetup:' in description + default:
                raise SystemExit('bad description for %s' % name)
            rows.append((name, PANES[pane], int(rank), default, description))
    return rows


def string_block(key, name, text):
    # A block takes any text, also one starting with "/", which a RegistryValue record cannot.
    return ['KelSetup:RegistryStringStart', key, name, text, 'KelSetup:RegistryStringEnd']


def registry_values(templates):
    """The values the script writes as records: (key, name, type, data), in its order."""
    values = []
    for name, data in [('DefaultConfigPath', '%InstallDir%Conf'), ('DefaultConfigFilePath', '%InstallDir%Conf'),
                       ('HelpPath', '%InstallDir%Help')]:
        values.append((CONFIG_KEY, name, 'REG_SZ', data))
    for label, number in PANE_LABELS:
        values.append((LIST_KEY, label, 'REG_DWORD', str(number)))
    for name, data in PRESETS:
        values.append((QUICK_KEY, name, 'REG_SZ', data))
    for name, pane, rank, _, _ in templates:
        key = TEMPLATES_KEY + '\\' + name
        values += [(key, 'Template', 'REG_DWORD', str(pane)), (key, 'Parent', 'REG_DWORD', str(rank))]
    return values


def registry_strings(templates):
    """The texts the script writes as string blocks: defaults and descriptions."""
    strings = []
    for name, _, _, default, description in templates:
        key = TEMPLATES_KEY + '\\' + name
        if default:
            strings.append((key, 'Default', 'REG_SZ', default))
        strings.append((key, 'Description', 'REG_SZ', description))
    return strings


def script(templates, required_kilobytes, version):
    lines = ['KelSetup:SetupInfo', 'Tarnwick', 'Tarnwick.exe', 'HKEY_LOCAL_MACHINE\\SOFTWARE\\Velmora\\Tarnwick',
             'InstallDir', 'C:\\Program Files\\Tarnwick', '0', '1', '1', '1', '0', 'Tarnwick Setup',
             'Tarnwick Uninstall', 'Tarnwick is installed. Use Quick Config to make a starting configuration.',
             'Tarnwick has been removed from this computer.', str(required_kilobytes), '']
    # For the list of installed programs; setup programs of old pass the section over.
    lines += ['KelSetup:ProductInfo', 'Publisher=' + PUBLISHER, 'DisplayVersion=' + version, '']
    lines += ['KelSetup:AddDirectory', 'Conf', 'Help', '']
    lines += ['KelSetup:CopyFile', '.\\', 'Tarnwick.exe', '.\\', 'Setup.exe', '.\\', 'ureadme.txt',
              'Help', 'TarnwickHelp.chm']
    for conf in CONF_FILES:
        lines += ['Conf', conf]
    lines += ['']
    # Each template key before the key that holds them all: the uninstaller removes the keys in
    # this order, and a key emptied first is removed at once, where the store's key with its
    # hundreds of keys below would be emptied one key at a time, listing them all each time.
    lines += ['KelSetup:RegistryKey', CONFIG_KEY, LIST_KEY, QUICK_KEY]
    lines += [TEMPLATES_KEY + '\\' + name for name, *_ in templates]
    lines += [TEMPLATES_KEY, '']
    lines += ['KelSetup:RegistryValue']
    for key, name, kind, data in registry_values(templates):
        lines += [key, name, kind, data]
    lines += ['']
    for key, name, _, text in registry_strings(templates):
        lines += string_block(key, name, text)
    lines += ['', 'KelSetup:AddProgram', 'Tarnwick.exe', '', 'Tarnwick', 'Setup.exe', '%InstallDir%',
              'Uninstall Tarnwick', '']
    return '\r\n'.join(lines) + '\r\n'


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--out', required=True)
    parser.add_argument('--files', nargs='*', default=[])
    parser.add_argument('--version', default='1.0', help='the product version, as the package is named')
    parser.add_argument('--registry', help='also write every registry value the script sets, one per line: '
                                           'key, name, type and data between tabs (for the help pictures)')
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    shipped = [os.path.join(HERE, 'conf', name) for name in CONF_FILES]
    shipped += [os.path.join(HERE, 'texts', name) for name in TEXT_PAGES]
    shipped += args.files
    installed = [path for path in shipped if os.path.basename(path) not in ('legal.txt', 'readme.txt')]
    required = sum(math.ceil(os.path.getsize(path) / 1024) for path in installed if os.path.exists(path))
    templates = read_templates()
    with open(os.path.join(args.out, 'setup.txt'), 'w', newline='') as out:
        out.write(script(templates, required + 64, args.version))  # and room for the registry data and the shortcuts
    if args.registry:
        with open(args.registry, 'w', encoding='utf-8', newline='\n') as out:
            for entry in registry_values(templates) + registry_strings(templates):
                out.write('\t'.join(entry) + '\n')
    for path in shipped:
        if os.path.exists(path):
            shutil.copy(path, os.path.join(args.out, os.path.basename(path)))


if __name__ == '__main__':
    main()
