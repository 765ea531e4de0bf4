INSERT INTO Names (ID, Name, Reverse, DtFormat, TmFormat, ArcDtFormat, ArcType, ArcReverse) VALUES (1, 'J', 0, 'mmm d', 'hh:nn', 'mmmm yyyy', 'Monthly', 1);
INSERT INTO Templates (ID, Name, Template) VALUES (1, 'page', 'prev=<$WrenArchivePrev> next=<$WrenArchiveNext>
<Wren><WrenHeader>[<$WrenDate>]</WrenHeader> <$WrenEntry>
</Wren>');
INSERT INTO Templates (ID, Name, Template) VALUES (2, 'index', 'Archives <$WrenCookie>
<Wren>(<$WrenCookie><$WrenTitle>)<$WrenArchive=2></Wren>
end');
INSERT INTO Sites (ID, Name, FTP, Login, Password, Port, Active) VALUES (1, 'Local', '', '', '', 0, 0);
INSERT INTO Upload (ID, Journal, Site, Template, ArcTemplate, LogFile, ArcFile, Directory, Active, ArcExt, AutoArc, LastArc, ImageDir) VALUES (1, 1, 1, 1, 2, 'index.html', 'archive.html', '@SITE@', 1, 'html', 0, NULL, '');
INSERT INTO Journal (Name, eDate, eTime, Entry) VALUES (1, '2002-01-05', '12:00:00', 'jan 5'), (1, '2002-01-20', '12:00:00', 'jan 20'), (1, '2002-03-03', '12:00:00', 'mar 3');
INSERT INTO Cookie (ID, Cookie) VALUES (1, 'only cookie');
