INSERT INTO Names (ID, Name, Reverse, DtFormat, TmFormat, ArcDtFormat, ArcType, ArcReverse) VALUES (1, 'Markdown', 1, 'mmm d', 'hh:nn', 'mmmm yyyy', 'Monthly', 0), (2, 'HTML, no key', 0, 'mmm d', 'hh:nn', 'mmmm yyyy', 'Monthly', 0), (3, 'HTML by key', 0, 'mmm d', 'hh:nn', 'mmmm yyyy', 'Monthly', 0);
INSERT INTO Templates (ID, Name, Template) VALUES (1, 'page', '<$WrenArchivePrev> | <$WrenArchiveNext>
<Wren><WrenHeader>== <$WrenDate> ==
</WrenHeader><$WrenEntry>
--
</Wren>');
INSERT INTO Templates (ID, Name, Template) VALUES (2, 'index', '<Wren><$WrenArchive=2></Wren>');
INSERT INTO Sites (ID, Name, FTP, Login, Password, Port, Active) VALUES (1, 'Local', '', '', '', 0, 0);
INSERT INTO Upload (ID, Journal, Site, Template, ArcTemplate, LogFile, ArcFile, Directory, Active, ArcExt, AutoArc, LastArc, ImageDir) VALUES (1, 1, 1, 1, 2, 'index.html', 'archive.html', '@SITE@/md', 1, 'html', 0, NULL, ''), (2, 2, 1, 1, 2, 'index.html', 'archive.html', '@SITE@/html', 1, 'html', 0, NULL, ''), (3, 3, 1, 1, 2, 'index.html', 'archive.html', '@SITE@/html-by-key', 1, 'html', 0, NULL, '');
INSERT INTO Journal (ID, Name, eDate, eTime, Title, Entry) VALUES
(1, 1, '2002-06-28', '12:00:00', '', 'June: *one* line' || char(13,10) || 'and another, no paragraph tags of ours.'),
(2, 1, '2002-07-02', '08:00:00', '', 'See [June](arc20020601.<$WrenExt>#WrenID1).' || char(13,10) || char(13,10) || '    indented code < & >' || char(13,10) || char(13,10) || 'A&nbsp;space, &copy; and a hard\' || char(13,10) || 'break.'),
(3, 1, '2002-07-02', '20:00:00', '', '<p>An entry written as HTML in a Markdown journal stays as written</p>' || char(13,10) || char(13,10) || 'and *this* is Markdown again.'),
(4, 2, '2002-07-03', '12:00:00', '', 'HTML journal: *not* Markdown' || char(13,10) || 'second line <a href="arc20020701.<$WrenExt>#WrenID5">x</a>'),
(5, 3, '2002-07-03', '12:00:00', '', 'HTML by key: *not* Markdown' || char(13,10) || 'second line');
