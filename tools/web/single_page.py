#!/usr/bin/env python3
"""Writes the page as one file that opens from disk with no server: index.html
with aurilo.js and aurilo.wasm (base64) inside it.
  single_page.py WEB-FOLDER OUTPUT.html"""
import base64
import pathlib
import re
import sys

web, output = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
page = (web / 'index.html').read_text(encoding='utf-8')
script = (web / 'aurilo.js').read_text(encoding='utf-8')
module = base64.b64encode((web / 'aurilo.wasm').read_bytes()).decode('ascii')
if '</script' in script:
    sys.exit('single_page.py: aurilo.js may not hold "</script"')
# The served page's script tag, with its error handler, becomes the module and the script.
tag = re.compile(r'<script type="module" src="aurilo.js".*?</script>', re.DOTALL)
if len(tag.findall(page)) != 1:
    sys.exit('single_page.py: index.html has no one script tag for aurilo.js')
inline = (f'<script id="engine" type="application/octet-stream">{module}</script>\n'
          f'<script type="module">\n{script}</script>')
output.write_text(tag.sub(lambda _: inline, page), encoding='utf-8')
