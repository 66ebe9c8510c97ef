#!/usr/bin/env escript
%% The tags Erlang's asn1ct gives the types of modules, for the compiler's
%% tests to compare with its own: each file is compiled (BER) into OUTDIR,
%% and for every type assignment one line gives the type's tags, class and
%% number, outermost first, and one line each component of a SEQUENCE, SET
%% or CHOICE:
%%   <file base name>.Type [A1][U16]
%%   <file base name>.Type.component [C0][U2]
%% Usage: erlang_tags.escript OUTDIR FILE...
main([Out | Files]) ->
    [compile(File, Out) || File <- Files],
    Lines = lists:append([lines(Db) || Db <- filelib:wildcard(filename:join(Out, "*.asn1db"))]),
    [io:format("~s~n", [Line]) || Line <- lists:sort(Lines)].

compile(File, Out) ->
    case asn1ct:compile(File, [ber, noobj, {outdir, Out}, {i, Out}]) of
        ok -> ok;
        Error -> io:format(standard_error, "~s: ~p~n", [File, Error]), halt(1)
    end.

lines(Db) ->
    {ok, Table} = ets:file2tab(Db),
    Prefix = filename:basename(Db, ".asn1db"),
    lists:append([typedef(Prefix ++ "." ++ atom_to_list(Name), Type)
                  || {Name, {typedef, _, _, _, Type}} <- ets:tab2list(Table)]).

typedef(Name, {type, Tags, Def, _, _, _}) -> [Name ++ " " ++ tags(Tags) | components(Name, Def)];
typedef(_, _) -> [].  % object sets

components(Name, {'SEQUENCE', _, _, _, Components}) -> named(Name, Components);
components(Name, {'SET', _, _, _, Components}) -> named(Name, Components);
components(Name, {'CHOICE', Components}) -> named(Name, Components);
components(_, _) -> [].

named(Name, {Root, Additions}) -> named(Name, Root ++ Additions);
named(Name, {Root, Additions, Root2}) -> named(Name, Root ++ Additions ++ Root2);
named(Name, Components) ->
    [Name ++ "." ++ atom_to_list(Component) ++ " " ++ tags(Tags)
     || {'ComponentType', _, Component, {type, Tags, _, _, _, _}, _, _, _} <- Components].

tags(Tags) -> lists:append([tag(Class, Number) || {tag, Class, Number, _, _} <- Tags]).

tag('UNIVERSAL', N) -> "[U" ++ integer_to_list(N) ++ "]";
tag('APPLICATION', N) -> "[A" ++ integer_to_list(N) ++ "]";
tag('CONTEXT', N) -> "[C" ++ integer_to_list(N) ++ "]";
tag('PRIVATE', N) -> "[P" ++ integer_to_list(N) ++ "]".
