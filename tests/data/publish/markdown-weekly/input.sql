INSERT INTO Names (ID, Name, Reverse, DtFormat, TmFormat, ArcDtFormat, ArcType, ArcReverse) VALUES (1, 'J', 0, 'mmm d', 'hh:nn', 'mmm d', 'Weekly', 0);
INSERT INTO Templates (ID, Name, Template) VALUES (1, 'page', '<html><body><a href="<$WrenArchivePrev>">earlier</a>
<Wren><WrenHeader><h2><$WrenDate></h2></WrenHeader><h3><$WrenTitle></h3>
<$WrenEntry>
<p class="meta"><$WrenTime> <a href="<$WrenLink>">link</a></p>
</Wren></body></html>
');
INSERT INTO Templates (ID, Name, Template) VALUES (2, 'index', '<Wren><$WrenArchive=1></Wren>
');
INSERT INTO Templates (ID, Name, Template) VALUES (3, 'feed', '<feed xmlns="http://www.w3.org/2005/Atom"><Wren>
<entry><title><$WrenTitleXML></title><id><$WrenArcName>.<$WrenExt>#WrenID<$WrenID></id>
<content type="html"><$WrenEntryXML></content></entry></Wren>
</feed>
');
INSERT INTO Sites (ID, Name, FTP, Login, Password, Port, Active) VALUES (1, 'Local', '', '', '', 0, 0);
INSERT INTO Upload (ID, Journal, Site, Template, ArcTemplate, LogFile, ArcFile, Directory, Active, ArcExt, AutoArc, LastArc, ImageDir) VALUES (1, 1, 1, 1, 2, 'index.html', 'archive.html', '@SITE@', 1, 'htm', 0, NULL, ''), (2, 1, 1, 3, 2, 'feed.xml', 'feeds.html', '@SITE@', 1, 'xml', 0, NULL, '');
INSERT INTO Journal (ID, Name, eDate, eTime, Title, Entry) VALUES
(1, 1, '2002-07-21', '09:00:00', '*Stars* & <stripes>', '# A heading' || char(13,10) || char(13,10) || 'Some **bold**, *italic* and ~~struck~~ words, and www.example.org and <https://example.net/x?a=1&b=2> as links.' || char(13,10) || 'A second line of the same paragraph.' || char(13,10) || char(13,10) || '| Bird | Count |' || char(13,10) || '|:-----|------:|' || char(13,10) || '| wren | 3 |' || char(13,10) || '| robin & jay | 12 |'),
(2, 1, '2002-07-24', '18:30:00', 'Code', 'Back to [the first day](arc20020721.<$WrenExt>#WrenID1) and [its table](arc20020721.<$wrenext>#WrenID1 "same page").' || char(13,10) || char(13,10) || '```c' || char(13,10) || 'if (a < b && c > d) return "<b>&amp;</b>";' || char(13,10) || '```' || char(13,10) || char(13,10) || 'Inline `x < y & z` and a text <$WrenExt> spelt exactly.' || char(13,10) || char(13,10) || '<div class="aside">' || char(13,10) || '<b>Raw HTML</b> passes <em>through</em>' || char(13,10) || '</div>' || char(13,10) || char(13,10) || 'Inline <span style="color:red">raw</span> too, and a lone < and &.'),
(3, 1, '2002-07-30', '07:15:00', '', '- one' || char(13,10) || '- two' || char(13,10) || char(13,10) || '1. first' || char(13,10) || '2. second' || char(13,10) || char(13,10) || '> quoted' || char(13,10) || char(13,10) || '![a wren](wren.jpg) [earlier](arc20020721.<$WrenExt>#WrenID2)');
