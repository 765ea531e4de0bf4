INSERT INTO Names (ID, Name, Reverse, DtFormat, TmFormat, ArcDtFormat, ArcType, ArcReverse) VALUES (1, 'J', 0, 'd', 'hh:nn', 'mmm d', 'Weekly', 0);
INSERT INTO Templates (ID, Name, Template) VALUES (1, 'no block', 'no block here <$WrenSysDate> <$WrenDate>'), (2, 'reversed', 'a </Wren> b <Wren> c'), (3, 'only open', 'a <Wren> b <$WrenEntry>'), (4, 'index', 'index without block <$WrenArchive>');
INSERT INTO Sites (ID, Name, FTP, Login, Password, Port, Active) VALUES (1, 'Local', '', '', '', 0, 0);
INSERT INTO Upload (ID, Journal, Site, Template, ArcTemplate, LogFile, ArcFile, Directory, Active, ArcExt, AutoArc, LastArc, ImageDir) VALUES (1, 1, 1, 1, 4, 'one.html', 'index1.html', '@SITE@', 1, 'htm', 0, NULL, ''), (2, 1, 1, 2, 4, 'two.html', 'index2.html', '@SITE@', 1, 'htm', 0, NULL, ''), (3, 1, 1, 3, 4, 'three.html', 'index3.html', '@SITE@', 1, 'htm', 0, NULL, '');
INSERT INTO Journal (Name, eDate, eTime, Entry) VALUES (1, '2002-03-10', '12:00:00', 'x');
