#!/usr/bin/env python3
"""Tells the running update service how to misbehave from now on.
Usage: set-fault.py PORT [FAULT]   (no FAULT: behave again)"""
import sys
import urllib.request

port, fault = sys.argv[1], (sys.argv[2] if len(sys.argv) > 2 else '')
with urllib.request.urlopen('http://127.0.0.1:%s/set-fault/%s' % (port, fault), timeout=10) as reply:
    reply.read()
