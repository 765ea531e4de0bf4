INSERT INTO Names (ID, Name, Reverse, DtFormat, TmFormat, ArcDtFormat, ArcType, ArcReverse) VALUES (1, 'J', 0, 'mmm d', 'hh:nn', 'mmm d', 'Weekly', 0);
INSERT INTO Templates (ID, Name, Template) VALUES (1, 'page', '<Wren><$WrenEntry></Wren>'), (2, 'index', 'head <$WrenCookie>
<Wren>[<$WrenCookie>]<$WrenArchive=3>[<$WrenDate>]</Wren>
tail <$WrenArchive></Wren>');
INSERT INTO Sites (ID, Name, FTP, Login, Password, Port, Active) VALUES (1, 'Local', '', '', '', 0, 0);
INSERT INTO Upload (ID, Journal, Site, Template, ArcTemplate, LogFile, ArcFile, Directory, Active, ArcExt, AutoArc, LastArc, ImageDir) VALUES (1, 1, 1, 1, 2, 'index.html', 'archive.html', '@SITE@', 1, 'htm', 0, NULL, '');
INSERT INTO Journal (Name, eDate, eTime, Entry) VALUES (1, '2002-07-01', '12:00:00', 'a'), (1, '2002-07-10', '12:00:00', 'b'), (1, '2002-07-24', '12:00:00', 'c'), (1, '2002-07-27', '12:00:00', 'd'), (1, '2002-07-28', '12:00:00', 'e'), (1, '2002-08-05', '12:00:00', 'f'), (1, '2002-08-12', '12:00:00', 'g'), (1, '2002-08-25', '12:00:00', 'h');
