#!/usr/bin/python3
"""Reads a published Atom feed with feedparser and prints what it found as JSON."""
import calendar
import json
import sys
import xml.dom.minidom

import feedparser

path = sys.argv[1]
with open(path, 'rb') as f:
    raw = f.read()
try:
    xml.dom.minidom.parseString(raw)
    well_formed = True
except Exception as error:  # any parser error means the feed is not XML
    well_formed = str(error)
feed = feedparser.parse(raw)
print(json.dumps({
    'xml': well_formed,
    'bozo': bool(feed.bozo),
    'bozo_exception': str(feed.get('bozo_exception', '')),
    'version': feed.version,
    'title': feed.feed.get('title', ''),
    'id': feed.feed.get('id', ''),
    'self': next((l.get('href', '') for l in feed.feed.get('links', []) if l.get('rel') == 'self'), ''),
    'updated': calendar.timegm(feed.feed.updated_parsed) if feed.feed.get('updated_parsed') else None,
    'entries': [{
        'title': e.get('title', ''),
        'link': e.get('link', ''),
        'id': e.get('id', ''),
        'updated': calendar.timegm(e.updated_parsed) if e.get('updated_parsed') else None,
        'content': e.content[0].value if e.get('content') else '',
    } for e in feed.entries],
}))
