INSERT INTO Names (ID, Name, Reverse, DtFormat, TmFormat, ArcDtFormat, ArcType, ArcReverse) VALUES (1, 'J', 0, 'd', 'hh:nn', 'mmm d', 'Weekly', 0), (2, 'Other', 0, 'd', 'hh:nn', 'mmm d', 'Weekly', 0);
INSERT INTO Templates (ID, Name, Template) VALUES (1, 'one', 'one: <$WrenCookie> <$WrenCookie><Wren> <$WrenDate></Wren>
'), (3, 'two', 'two: <$WrenCookie><Wren> <$WrenDate></Wren>
');
INSERT INTO Sites (ID, Name, FTP, Login, Password, Port, Active) VALUES (1, 'Local', '', '', '', 0, 0);
INSERT INTO Sites (ID, Name, FTP, Login, Password, Port, Active) VALUES (2, 'Second local', '', '', '', 0, 0);
INSERT INTO Upload (ID, Journal, Site, Template, ArcTemplate, LogFile, ArcFile, Directory, Active, ArcExt, AutoArc, LastArc, ImageDir) VALUES (1, 1, 1, 1, 1, 'index.html', 'a.html', '@SITE@', 1, 'htm', 0, NULL, ''), (2, 1, 1, 1, 1, 'inactive.html', 'a.html', '@SITE@', 0, 'htm', 0, NULL, ''), (3, 2, 1, 1, 1, 'other-journal.html', 'a.html', '@SITE@', 1, 'htm', 0, NULL, ''), (4, 1, 2, 3, 1, 'two.html', 'a.html', '@SITE@/two', 1, 'htm', 0, NULL, '');
INSERT INTO Cookie (ID, Cookie) VALUES (12, 'twelve'), (5, 'five'), (9, 'nine');
INSERT INTO Journal (Name, eDate, eTime, Entry) VALUES (1, '2002-03-10', '12:00:00', 'x'), (2, '2002-03-10', '12:00:00', 'other journal');
