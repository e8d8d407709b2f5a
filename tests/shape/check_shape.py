#!/usr/bin/env python3
"""Checks the source tree keeps its shape: the core never reaches Qt or the windows, each core
area includes only its own and lower areas, the windows' areas likewise among themselves, no
background work of the windows starts a thread of its own, and no file or function grows past
the size a reader can hold.

check_shape.py SRC CORE_LAYERS UI_LAYERS  (the layer lists comma-separated, bottom first)
"""
import json
import os
import re
import shutil
import subprocess
import sys

MAX_FILE_LINES = 500
MAX_FUNCTION_LINES = 60

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]', re.M)
QT_HEADER = re.compile(r'^Qt|^Q[A-Z]')
OWN_THREAD = re.compile(r'QThread::create|std::j?thread\b')


def sources(root):
    for folder, _, names in os.walk(root):
        for name in sorted(names):
            if name.endswith(('.h', '.cpp')):
                yield os.path.join(folder, name)


def tree_and_area(src, path):
    parts = os.path.relpath(path, src).split(os.sep)
    return parts[0], (parts[1] if parts[0] in ('core', 'ui') and len(parts) > 2 else None)


def include_faults(src, path, text, layers):
    tree, area = tree_and_area(src, path)
    faults = []
    for kind, target in INCLUDE.findall(text):
        close = '"' if kind == '"' else '>'
        line = f'{os.path.relpath(path, src)}: #include {kind}{target}{close}'
        if kind == '<' and QT_HEADER.match(target) and tree not in ('ui', 'app'):
            faults.append(f'{line}: a Qt header outside src/ui/ and src/app/')
        if kind != '"':
            continue
        head = target.split('/')
        if tree == 'core' and head[0] in ('ui', 'app', 'cli'):
            faults.append(f'{line}: the core includes {head[0]}/')
        if tree == 'cli' and head[0] in ('ui', 'app'):
            faults.append(f'{line}: the command line includes the windows')
        if area and head[0] == tree and len(head) > 2:
            order = layers[tree]
            if head[1] in order and order.index(head[1]) > order.index(area):
                faults.append(f'{line}: {tree}/{area} is below {tree}/{head[1]}')
    return faults


def function_lengths(src):
    """(lines, path, name) of every function Universal Ctags finds, or None without ctags."""
    ctags = shutil.which('ctags')
    if not ctags:
        return None
    out = subprocess.run([ctags, '-R', '--languages=C++', '--kinds-C++=f', '--fields=+ne',
                          '--output-format=json', '-f', '-', src],
                         check=True, capture_output=True, text=True).stdout
    for line in out.splitlines():
        tag = json.loads(line)
        if 'end' in tag:
            yield tag['end'] - tag['line'] + 1, tag['path'], tag['name']


def main():
    src, core_layers, ui_layers = sys.argv[1], sys.argv[2], sys.argv[3]
    layers = {'core': core_layers.split(','), 'ui': ui_layers.split(',')}
    faults = []
    for tree, order in layers.items():
        for area in sorted(os.listdir(os.path.join(src, tree))):
            if os.path.isdir(os.path.join(src, tree, area)) and area not in order:
                faults.append(f'{tree}/{area}: an area missing from the layer order')
    for path in sources(src):
        with open(path, encoding='utf-8') as file:
            text = file.read()
        faults += include_faults(src, path, text, layers)
        rel = os.path.relpath(path, src)
        if tree_and_area(src, path)[0] in ('ui', 'app') and OWN_THREAD.search(text):
            faults.append(f'{rel}: starts a thread of its own (use the background helper)')
        if text.count('\n') > MAX_FILE_LINES:
            faults.append(f'{rel}: {text.count(chr(10))} lines (at most {MAX_FILE_LINES})')
    lengths = function_lengths(src)
    if lengths is None:
        print('check_shape: no ctags, function lengths not checked')
    else:
        for count, path, name in lengths:
            if count > MAX_FUNCTION_LINES:
                faults.append(f'{os.path.relpath(path, src)}: {name} is {count} lines '
                              f'(at most {MAX_FUNCTION_LINES})')
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main())
