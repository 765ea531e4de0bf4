INSERT INTO Names (ID, Name, Reverse, DtFormat, TmFormat, ArcDtFormat, ArcType, ArcReverse) VALUES (1, 'J', 0, 'mmm d', 'hh:nn', 'mmm d', 'Monthly', 0);
INSERT INTO Templates (ID, Name, Template) VALUES (1, 'page', '<Wren><$WrenEntry></Wren>'), (2, 'index', '<Wren><$WrenArchive></Wren>');
INSERT INTO Sites (ID, Name, FTP, Login, Password, Port, Active) VALUES (1, 'Local', '', '', '', 0, 0);
INSERT INTO Upload (ID, Journal, Site, Template, ArcTemplate, LogFile, ArcFile, Directory, Active, ArcExt, AutoArc, LastArc, ImageDir) VALUES (1, 1, 1, 1, 2, 'index.html', 'archive.html', '@SITE@/one', 1, 'htm', 0, NULL, ''), (2, 1, 1, 1, 2, 'index.html', 'archive.html', '@SITE@/two', 0, 'htm', 0, NULL, ''), (3, 1, 1, 1, 2, 'index.html', 'archive.html', '@SITE@/three', 1, 'php', 0, NULL, '');
INSERT INTO Journal (Name, eDate, eTime, Entry) VALUES (1, '2002-03-10', '12:00:00', 'x');
