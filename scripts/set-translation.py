#!/usr/bin/env python3
"""Sets translations in a Qt catalogue from the command line and marks them finished.

    scripts/set-translation.py translations/quillet_en.ts QUIT_APP="Quit" RELATIVE_DAYS="%n day ago|%n days ago"

Plural (numerus) keys take their forms separated by "|". Run the update_translations build
target first so that new keys are in the catalogue.
"""
import sys, xml.etree.ElementTree as ET
path = sys.argv[1]
pairs = dict(a.split('=', 1) for a in sys.argv[2:])
tree = ET.parse(path)
for msg in tree.getroot().iter('message'):
    mid = msg.get('id')
    if mid not in pairs: continue
    tr = msg.find('translation')
    for k in list(tr): tr.remove(k)
    tr.text = None
    if 'type' in tr.attrib: del tr.attrib['type']
    if msg.get('numerus') == 'yes':
        tr.text = '\n            '
        forms = pairs[mid].split('|')
        for i, f in enumerate(forms):
            e = ET.SubElement(tr, 'numerusform'); e.text = f
            e.tail = '\n            ' if i < len(forms) - 1 else '\n        '
    else:
        tr.text = pairs[mid]
    del pairs[mid]
if pairs: print('not in catalogue:', ', '.join(pairs), file=sys.stderr)
body = ET.tostring(tree.getroot(), encoding='unicode', short_empty_elements=False)
open(path, 'w', encoding='utf-8').write('<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE TS>\n' + body + '\n')
