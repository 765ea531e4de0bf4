INSERT INTO Names (ID, Name, Reverse, DtFormat, TmFormat, ArcDtFormat, ArcType, ArcReverse) VALUES (1, 'J', 0, 'dddd, mmmm d, yyyy', 'hh:nn', 'dd mmm', 'Monthly', 0);
INSERT INTO Templates (ID, Name, Template) VALUES (1, 'page', '<$WrenSysDate>
<Wren><$WrenDate> / <$WrenTime>
</Wren>');
INSERT INTO Sites (ID, Name, FTP, Login, Password, Port, Active) VALUES (1, 'Local', '', '', '', 0, 0);
INSERT INTO Upload (ID, Journal, Site, Template, ArcTemplate, LogFile, ArcFile, Directory, Active, ArcExt, AutoArc) VALUES (1, 1, 1, 1, 1, 'index.html', 'arcs.html', '@SITE@', 1, 'htm', 0);
INSERT INTO Journal (Name, eDate, eTime, Entry) VALUES (1, '2002-01-06', '08:00:00', 'a Sunday in January');
INSERT INTO Journal (Name, eDate, eTime, Entry) VALUES (1, '2002-03-05', '08:00:00', 'a Tuesday in March');
