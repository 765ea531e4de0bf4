INSERT INTO Names (ID, Name, Reverse, DtFormat, TmFormat, ArcDtFormat, ArcType, ArcReverse) VALUES (1, 'J', 0, 'yyyy-mm-dd', 'hh:nn', 'mmm d', 'Monthly', 0);
INSERT INTO Templates (ID, Name, Template) VALUES (1, 'page', 'prev:<$WrenArchivePrev> next:<$WrenArchiveNext>
days:<Wren> <$WrenDate></Wren>
');
INSERT INTO Sites (ID, Name, FTP, Login, Password, Port, Active) VALUES (1, 'Local', '', '', '', 0, 0);
INSERT INTO Upload (ID, Journal, Site, Template, ArcTemplate, LogFile, ArcFile, Directory, Active, ArcExt, AutoArc) VALUES (1, 1, 1, 1, 1, 'index.html', 'arcs.html', '@SITE@', 1, 'htm', 0);
INSERT INTO Journal (Name, eDate, eTime, Entry) VALUES (1, '2002-02-01', '12:00:00', 'the first entry opens February');
INSERT INTO Journal (Name, eDate, eTime, Entry) VALUES (1, '2002-03-05', '12:00:00', 'x');
INSERT INTO Journal (Name, eDate, eTime, Entry) VALUES (1, '2002-03-07', '12:00:00', 'x');
